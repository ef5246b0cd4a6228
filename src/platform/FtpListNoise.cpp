#include "platform/FtpListFormats.h"

bool IsListingNoise(const FtpLine& line)
{
    // A fact line that failed is damaged, whatever it looks like.
    if (LooksLikeFactsLine(line.text))
        return false;
    const std::string_view first = line[0];
    // "total 24", "Total of 4 files, 14/21 blocks.", "Grand total of ...".
    if (EqualsNoCase(first, "total") || EqualsNoCase(first, "grand"))
        return true;
    // VMS "Directory DISK$PUB:[ANONYMOUS]"; Windows " Volume in drive C ...",
    // " Directory of C:\pub", "  2 File(s) ..." and "  3 Dir(s) ...".
    if (first == "Directory" || first == "Volume")
        return true;
    if (line.size() >= 2 && (StartsWithNoCase(line[1], "File(s)") || StartsWithNoCase(line[1], "Dir(s)")))
        return true;
    // Rulers under column headers.
    if (line.text.find_first_not_of(" \t-=_+|") == std::string_view::npos)
        return true;
    // Column headers ("Owner  Last modified  Attributes ..."): words without a digit.
    if (line.size() < 2)
        return false;
    for (const FtpField& field : line.fields) {
        if (field.text.find_first_of("0123456789") != std::string_view::npos)
            return false;
    }
    return true;
}
