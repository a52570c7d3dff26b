// Where a member of an archive or a cabinet is written on disk: the name's
// folders under the target folder, with every part that could lead out of it
// (a drive, a root, "..") removed.
#include "zentrix.h"

#include <cstring>
#include <string>

extern "C" {

char *ZentrixMemberPath(const char *Dir, const char *Name, char *Out, uint32_t OutSize)
{
    if (!Name || !Out || OutSize == 0)
        return nullptr;
    Out[0] = '\0';
    // A drive ("C:") at the start goes; so do leading separators below.
    if (((Name[0] >= 'A' && Name[0] <= 'Z') || (Name[0] >= 'a' && Name[0] <= 'z')) && Name[1] == ':')
        Name += 2;
    std::string rest;
    const char *part = Name;
    for (const char *p = Name;; p++) {
        if (*p == '/' || *p == '\\' || *p == '\0') {
            const size_t len = size_t(p - part);
            const bool dots = (len == 1 && part[0] == '.') || (len == 2 && part[0] == '.' && part[1] == '.');
            if (len && !dots) {
                if (!rest.empty())
                    rest += '/';
                rest.append(part, len);
            }
            if (*p == '\0')
                break;
            part = p + 1;
        }
    }
    if (rest.empty())
        return nullptr;
    std::string path = Dir ? Dir : "";
    if (!path.empty() && path.back() != '/' && path.back() != '\\')
        path += '/';
    path += rest;
    if (path.size() + 1 > OutSize)
        return nullptr;
    std::memcpy(Out, path.c_str(), path.size() + 1);
    return Out;
}

} // extern "C"
