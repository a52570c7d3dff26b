// Plants: the diagnostic message box, in a file of its own so that only a
// program that calls it links the platform's message box.
#include "Plants.h"

#include "Platform.h"

#include <cerrno>
#include <cstring>

namespace {

// The icon of an information message box.
constexpr unsigned kIconInformation = 0x40;

} // namespace

void ReportLastError()
{
    MessageBoxA(nullptr, std::strerror(errno), "GetLastError", kIconInformation);
}
