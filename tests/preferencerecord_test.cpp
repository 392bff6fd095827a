#include "framework/streams.h"
#include "tests/support/fixtures.h"
#include "tests/support/records.h"
#include "workers/preferencerecord.h"

#include <QFile>
#include <QTemporaryDir>

#include <array>
#include <stdexcept>

#include <gtest/gtest.h>

using fw::String;
using Label = PreferenceRecordFormat::Label;

namespace {

constexpr PreferenceRecordFormat kEnciphered{true, Label::Utf8};
constexpr PreferenceRecordFormat kEncipheredUnlabelled{true, Label::None};
constexpr PreferenceRecordFormat kPlain{false, Label::ShiftJis};

// "書類" in Shift-JIS: bytes that are not UTF-8.
const QByteArray kShiftJisName("\x8f\x91\x97\xde");

QByteArray u32(quint32 value)
{
    QByteArray out;
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(static_cast<char>((value >> shift) & 0xFF));
    return out;
}

// A record of `count` fields, each holding its own number, but for the long fields given.
testsupport::PrefRecord record(int count, const QByteArray &f17, const QByteArray &f18, const QByteArray &f19)
{
    testsupport::PrefRecord r;
    r.entries = {3, 140, 7};
    for (int i = 0; i < count; ++i)
        r.fields.append(QByteArray::number(i));
    const std::array<QByteArray, 3> longFields = {f17, f18, f19};
    for (int i = kFirstLongField; i <= kDocumentsField && i < count; ++i)
        r.fields[i] = longFields[i - kFirstLongField];
    return r;
}

class PreferenceRecordTest : public ::testing::Test
{
protected:
    // Every item takes a byte at least: a reader that ends with the file reads no more items than it
    // has bytes, beside the header and the two counts that find it ended. One that reads on is stopped.
    std::optional<LongFields> read(const QByteArray &bytes, const PreferenceRecordFormat &format)
    {
        const QString path = m_dir.filePath(QStringLiteral("record"));
        EXPECT_TRUE(testsupport::writeFile(path, bytes));
        fw::BinaryStream stream(QFile::encodeName(path), false);
        EXPECT_TRUE(stream.isOpen());
        qsizetype items = 0;
        return readPreferenceRecord(stream, format, [&] {
            if (++items > bytes.size() + 3)
                throw std::length_error("the record was read on past its end");
        });
    }

private:
    QTemporaryDir m_dir;
};

TEST_F(PreferenceRecordTest, encipheredRecord_givesItsLongFieldsDeciphered)
{
    // An alias record is longer than a byte-counted string can hold once enciphered.
    testsupport::AliasOptions options;
    options.targetName = "Docs";
    options.hfsPath = "Startup:Users:Docs";
    const QByteArray alias = testsupport::aliasRecord(options);
    ASSERT_GT(alias.size() * 2, 255);
    const auto fields =
        read(testsupport::pref2Record(record(24, "Startup:a:", alias, "/home/u/文書")), kEnciphered);
    ASSERT_TRUE(fields);
    EXPECT_EQ((*fields)[0].bytes(), "Startup:a:");
    EXPECT_EQ((*fields)[1].bytes(), alias);
    EXPECT_EQ((*fields)[2].bytes(), QByteArray("/home/u/文書"));
}

TEST_F(PreferenceRecordTest, labels_nameTheBytesEncoding_andChangeNoByte)
{
    const auto utf8 = read(testsupport::pref2Record(record(20, "", "x", "/文書")), kEnciphered);
    ASSERT_TRUE(utf8);
    EXPECT_EQ((*utf8)[2].encoding(), fw::Encodings::UTF8());
    EXPECT_EQ((*utf8)[2].toQString(), QString::fromUtf8("/文書"));

    const auto unlabelled =
        read(testsupport::pref2Record(record(20, "", "x", "/文書")), kEncipheredUnlabelled);
    ASSERT_TRUE(unlabelled);
    EXPECT_EQ((*unlabelled)[2].encoding(), nullptr);
    EXPECT_EQ((*unlabelled)[2].bytes(), QByteArray("/文書"));

    const auto shiftJis = read(testsupport::prefRecord(record(20, "", "x", "/" + kShiftJisName)), kPlain);
    ASSERT_TRUE(shiftJis);
    EXPECT_EQ((*shiftJis)[2].encoding(), fw::Encodings::ShiftJIS());
    EXPECT_EQ((*shiftJis)[2].bytes(), "/" + kShiftJisName);
    EXPECT_EQ((*shiftJis)[2].toQString(), QString::fromUtf8("/書類"));
}

TEST_F(PreferenceRecordTest, plainRecord_countsAreBigEndianIntegers)
{
    // Header "hd", no entries, 00 00 00 14 fields: seventeen empty strings, then three long fields.
    QByteArray bytes = QByteArray("\x02hd", 3) + u32(0) + QByteArray("\x00\x00\x00\x14", 4);
    bytes += QByteArray(17, '\0');
    bytes += u32(3) + "abc" + u32(0) + u32(4) + "/dox";
    const auto fields = read(bytes, kPlain);
    ASSERT_TRUE(fields);
    EXPECT_EQ((*fields)[0].bytes(), "abc");
    EXPECT_TRUE((*fields)[1].isEmpty());
    EXPECT_EQ((*fields)[2].bytes(), "/dox");

    // Read the other way round, the count would be 335544320: no whole record.
    bytes.replace(7, 4, QByteArray("\x14\x00\x00\x00", 4));
    EXPECT_FALSE(read(bytes, kPlain));
}

TEST_F(PreferenceRecordTest, entries_areSkippedWhateverTheirNumber)
{
    for (const QList<int> &entries : {QList<int>{}, QList<int>{1}, QList<int>(300, 65535)}) {
        testsupport::PrefRecord r = record(20, "", "", "/d");
        r.entries = entries;
        const auto enciphered = read(testsupport::pref2Record(r), kEnciphered);
        ASSERT_TRUE(enciphered) << entries.size();
        EXPECT_EQ((*enciphered)[2].bytes(), "/d");
        const auto plain = read(testsupport::prefRecord(r), kPlain);
        ASSERT_TRUE(plain) << entries.size();
        EXPECT_EQ((*plain)[2].bytes(), "/d");
    }
}

TEST_F(PreferenceRecordTest, negativeEntryCount_readsNoEntry)
{
    const QByteArray bytes = QByteArray("\x00", 1) + u32(0xFFFFFFFF) + u32(20) + QByteArray(17, '\0') +
                             u32(0) + u32(0) + u32(2) + "/d";
    const auto fields = read(bytes, kPlain);
    ASSERT_TRUE(fields);
    EXPECT_EQ((*fields)[2].bytes(), "/d");
}

TEST_F(PreferenceRecordTest, fieldsAfterTheDocumentsFolder_areReadAsStrings_andTrailingBytesIgnored)
{
    const auto fields = read(testsupport::prefRecord(record(40, "a", "b", "/c")) + "trailing", kPlain);
    ASSERT_TRUE(fields);
    EXPECT_EQ((*fields)[2].bytes(), "/c");
}

TEST_F(PreferenceRecordTest, fewerThanTwentyFields_isNoRecord)
{
    EXPECT_FALSE(read(testsupport::pref2Record(record(19, "a", "b", "")), kEnciphered));
    EXPECT_FALSE(read(testsupport::prefRecord(record(0, "", "", "")), kPlain));
    EXPECT_TRUE(read(testsupport::prefRecord(record(20, "", "", "")), kPlain));
}

TEST_F(PreferenceRecordTest, everyRecordCutShort_isNoRecord)
{
    const QByteArray enciphered = testsupport::pref2Record(record(21, "a", "bb", "/ccc"));
    const QByteArray plain = testsupport::prefRecord(record(21, "a", "bb", "/ccc"));
    for (qsizetype size = 0; size < enciphered.size(); ++size)
        EXPECT_FALSE(read(enciphered.left(size), kEnciphered)) << size;
    for (qsizetype size = 0; size < plain.size(); ++size)
        EXPECT_FALSE(read(plain.left(size), kPlain)) << size;
    EXPECT_TRUE(read(enciphered, kEnciphered));
    EXPECT_TRUE(read(plain, kPlain));
}

TEST_F(PreferenceRecordTest, absurdCountsAndLengths_areNoRecord_andEndAtTheFilesEnd)
{
    const QByteArray huge = testsupport::encipher("2000000000");
    const QByteArray hugeCount = QByteArray(1, static_cast<char>(huge.size())) + huge;
    const QByteArray header = QByteArray(1, 2) + testsupport::encipher("h");
    const QByteArray noEntries = QByteArray(1, 2) + testsupport::encipher("0");
    // n or m of 2000000000, enciphered and plain.
    EXPECT_FALSE(read(header + hugeCount + QByteArray(1000, '\0'), kEnciphered));
    EXPECT_FALSE(read(header + noEntries + hugeCount + QByteArray(1000, '\0'), kEnciphered));
    EXPECT_FALSE(read(QByteArray(1, '\0') + u32(2000000000) + QByteArray(1000, '\0'), kPlain));
    EXPECT_FALSE(read(QByteArray(1, '\0') + u32(0) + u32(2000000000) + QByteArray(1000, '\0'), kPlain));

    // A long field's length beyond the file, at the Int32 limit, or negative.
    const QByteArray seventeen = QByteArray(1, '\0') + u32(0) + u32(20) + QByteArray(17, '\0');
    for (const quint32 length : {100U, 0x7FFFFFFFU, 0x80000000U, 0xFFFFFFFFU})
        EXPECT_FALSE(read(seventeen + u32(length) + QByteArray(60, 'x'), kPlain)) << length;
}

} // namespace
