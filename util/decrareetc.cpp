#include "util/decrareetc.h"

#include "framework/aliasrecord.h"
#include "framework/thread.h"

#include <cstdint>
#include <cstring>

using fw::String;

namespace DecrareEtc {

int32_t TextToHandle(const String &text)
{
    const QByteArray &bytes = text.bytes();
    if (bytes.size() >= INT32_MAX)
        return 0;
    const auto n = static_cast<int32_t>(bytes.size());
    const fw::Handle h = fw::NewHandle(n + 1);
    if (h == 0)
        return 0;
    const int8_t state = fw::HGetState(h);
    fw::HLock(h);
    uint8_t *block = fw::HandleData(h);
    std::memcpy(block, bytes.constData(), static_cast<size_t>(n));
    block[n] = 0;
    fw::HSetState(h, state);
    fw::SetHandleSize(h, n);
    return h;
}

String GetFullPath(int32_t vRefNum, int32_t dirID)
{
    QByteArray name;
    fw::CInfoPBRec pb;
    pb.ioNamePtr = &name;
    pb.ioVRefNum = static_cast<int16_t>(vRefNum);
    pb.ioFDirIndex = -1;
    pb.ioDrParID = dirID;
    QByteArray path;
    while (true) {
        pb.ioDrDirID = pb.ioDrParID;
        const fw::OSErr err = fw::PBGetCatInfoSync(pb);
        if (err == fw::noErr)
            path.prepend(name + ':');
        fw::Yield();
        if (pb.ioDrDirID == fw::fsRtParID || err != fw::noErr)
            break;
    }
    return String::fromBytes(path, fw::Encodings::MacJapanese());
}

} // namespace DecrareEtc
