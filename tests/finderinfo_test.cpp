#include "framework/finderinfo.h"
#include "tests/support/fixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace fw;
using testsupport::SidecarForm;

namespace {

const QByteArray kInfo = testsupport::finderInfo("Tmx3", "Wqj1", 0x0100);

void setU32(QByteArray &bytes, qsizetype offset, uint32_t value)
{
    qToBigEndian<quint32>(value, bytes.data() + offset);
}

std::optional<FinderInfo::Bytes> readInfo(const QString &path)
{
    return FinderInfo::read(QFile::encodeName(path));
}

QByteArray asBytes(const std::optional<FinderInfo::Bytes> &info)
{
    return info ? QByteArray(reinterpret_cast<const char *>(info->data()), 32) : QByteArray();
}

} // namespace

TEST(FinderInfo, appleDouble_readsTheFinderInfoOfEveryForm)
{
    EXPECT_EQ(asBytes(FinderInfo::fromAppleDouble(testsupport::appleDoubleSidecar(kInfo))), kInfo);
    EXPECT_EQ(asBytes(FinderInfo::fromAppleDouble(
                  testsupport::appleDoubleSidecar(kInfo, SidecarForm::WithAttributes))),
              kInfo);
    EXPECT_EQ(asBytes(FinderInfo::fromAppleDouble(testsupport::netatalkMetadata(kInfo))), kInfo);
    EXPECT_EQ(asBytes(FinderInfo::fromAfpInfo(testsupport::afpInfo(kInfo))), kInfo);
    EXPECT_EQ(asBytes(FinderInfo::fromAfpInfo(testsupport::afpInfo(kInfo).left(60))), kInfo);

    const auto info = FinderInfo::fromAppleDouble(testsupport::appleDoubleSidecar(kInfo));
    ASSERT_TRUE(info);
    EXPECT_EQ(FinderInfo::type(*info), QStringLiteral("Tmx3"));
    EXPECT_EQ(FinderInfo::creator(*info), QStringLiteral("Wqj1"));
    EXPECT_EQ(FinderInfo::flags(*info), 0x0100);
}

TEST(FinderInfo, appleDouble_readsOnlyTheHeaderDescriptorsAndThe32Bytes)
{
    const QByteArray sidecar = testsupport::appleDoubleSidecar(kInfo, SidecarForm::WithAttributes);
    int64_t requested = 0;
    const FinderInfo::ReadAt readAt = [&](int64_t offset, int64_t length) {
        requested += length;
        return sidecar.mid(offset, length);
    };
    EXPECT_TRUE(FinderInfo::fromAppleDouble(readAt, sidecar.size()));
    EXPECT_EQ(requested, 26 + 2 * 12 + 32);
}

TEST(FinderInfo, appleDouble_refusesDamagedAndLyingSources)
{
    const QByteArray good = testsupport::appleDoubleSidecar(kInfo);
    for (qsizetype size = 0; size < good.size(); ++size)
        EXPECT_FALSE(FinderInfo::fromAppleDouble(good.left(size))) << "truncated to " << size;

    QByteArray bytes = good;
    setU32(bytes, 0, 0x00051600); // AppleSingle, not a sidecar
    EXPECT_FALSE(FinderInfo::fromAppleDouble(bytes));
    bytes = good;
    setU32(bytes, 4, 0x00010000);
    EXPECT_FALSE(FinderInfo::fromAppleDouble(bytes));
    bytes = good;
    qToBigEndian<quint16>(0xFFFF, bytes.data() + 24); // absurd entry count
    EXPECT_FALSE(FinderInfo::fromAppleDouble(bytes));
    bytes = good;
    qToBigEndian<quint16>(0, bytes.data() + 24);
    EXPECT_FALSE(FinderInfo::fromAppleDouble(bytes));
    bytes = good;
    setU32(bytes, 26 + 8, 31); // entry 9 shorter than FinderInfo
    EXPECT_FALSE(FinderInfo::fromAppleDouble(bytes));
    bytes = good;
    setU32(bytes, 26 + 4, 0xFFFFFFF0); // entry 9 past the end, wrapping in 32 bits
    EXPECT_FALSE(FinderInfo::fromAppleDouble(bytes));
    bytes = good;
    setU32(bytes, 26, 2); // no entry 9 at all
    EXPECT_FALSE(FinderInfo::fromAppleDouble(bytes));

    const QByteArray afp = testsupport::afpInfo(kInfo);
    EXPECT_FALSE(FinderInfo::fromAfpInfo(afp.left(59)));
    EXPECT_FALSE(FinderInfo::fromAfpInfo(afp + QByteArray(100, '\0')));
    bytes = afp;
    bytes[0] = 'X';
    EXPECT_FALSE(FinderInfo::fromAfpInfo(bytes));
    bytes = afp;
    setU32(bytes, 4, 0x00000200);
    EXPECT_FALSE(FinderInfo::fromAfpInfo(bytes));
}

TEST(FinderInfo, sidecarPath_liesBesideTheItem)
{
    EXPECT_EQ(FinderInfo::sidecarPath("/a/b/Foo.txt"), QByteArray("/a/b/._Foo.txt"));
    EXPECT_EQ(FinderInfo::sidecarPath("/Foo"), QByteArray("/._Foo"));
    EXPECT_TRUE(FinderInfo::sidecarPath("/").isEmpty());
}

class FinderInfoFiles : public ::testing::Test
{
protected:
    QString file(const QString &name)
    {
        QString path = m_dir.path() + QLatin1Char('/') + name;
        EXPECT_TRUE(testsupport::writeFile(path, "data"));
        return path;
    }
    void requireAttributes()
    {
        if (!testsupport::userAttributesSupported(m_dir.path()))
            GTEST_SKIP() << "the file system of " << m_dir.path().toStdString()
                         << " refuses user extended attributes";
    }
    QTemporaryDir m_dir;
};

TEST_F(FinderInfoFiles, read_findsEachSourceAndPrefersTheSidecar)
{
    requireAttributes();
    const QString bySidecar = file(QStringLiteral("sidecar.doc"));
    ASSERT_TRUE(testsupport::writeSidecar(bySidecar, kInfo, SidecarForm::WithAttributes));
    EXPECT_EQ(asBytes(readInfo(bySidecar)), kInfo);

    const QString byNetatalk = file(QStringLiteral("netatalk.doc"));
    ASSERT_TRUE(testsupport::setNetatalkMetadata(byNetatalk, kInfo));
    EXPECT_EQ(asBytes(readInfo(byNetatalk)), kInfo);

    const QString byAfpInfo = file(QStringLiteral("afpinfo.doc"));
    ASSERT_TRUE(testsupport::setAfpInfo(byAfpInfo, kInfo));
    EXPECT_EQ(asBytes(readInfo(byAfpInfo)), kInfo);

    const QByteArray other = testsupport::finderInfo("ZorpWqj4", "");
    ASSERT_TRUE(testsupport::setNetatalkMetadata(bySidecar, other));
    EXPECT_EQ(asBytes(readInfo(bySidecar)), kInfo);

    // A damaged netatalk blob does not hide a sound AfpInfo stream.
    ASSERT_TRUE(testsupport::setAttribute(byAfpInfo, "user.org.netatalk.Metadata", "garbage"));
    EXPECT_EQ(asBytes(readInfo(byAfpInfo)), kInfo);
}

TEST_F(FinderInfoFiles, read_givesNothingWithoutMetadataOrFromAStrangeSidecar)
{
    EXPECT_FALSE(readInfo(file(QStringLiteral("plain.txt"))));
    EXPECT_FALSE(readInfo(m_dir.path() + QStringLiteral("/missing")));

    // A FIFO in the sidecar's place must neither block nor count.
    const QString fifoOwner = file(QStringLiteral("fifo.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(m_dir.path() + QStringLiteral("/._fifo.txt")).constData(), 0600), 0);
    EXPECT_FALSE(readInfo(fifoOwner));

    // A link in the sidecar's place is not followed.
    const QString real = file(QStringLiteral("real"));
    ASSERT_TRUE(testsupport::writeSidecar(real, kInfo));
    const QString linkOwner = file(QStringLiteral("linked.txt"));
    ASSERT_TRUE(QFile::link(m_dir.path() + QStringLiteral("/._real"),
                            m_dir.path() + QStringLiteral("/._linked.txt")));
    EXPECT_FALSE(readInfo(linkOwner));
}
