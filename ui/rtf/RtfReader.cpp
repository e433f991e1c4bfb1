#include "ui/rtf/RtfReader.h"

#include "ui/rtf/RtfInterpreter.h"
#include "ui/rtf/RtfPlainText.h"

#include <cstring>

RtfDocument RtfReader::Read(const std::uint8_t* data, std::size_t size)
{
    static constexpr char kSignature[] = "{\\rtf";
    constexpr std::size_t kSignatureLength = sizeof kSignature - 1;
    if (size >= kSignatureLength && std::memcmp(data, kSignature, kSignatureLength) == 0)
        return RtfInterpreter(data, size).Run();
    return ReadPlainText(data, size);
}
