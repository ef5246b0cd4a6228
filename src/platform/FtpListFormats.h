#pragma once

#include "platform/FtpListFields.h"
#include "platform/FtpListParser.h"

#include <array>
#include <string_view>
#include <vector>

// The per-format LIST line parsers behind ParseFtpListing. Each returns false,
// leaving `entry` unspecified, for a line that is not an entry of its format.

// "drwxr-xr-x 2 owner group 4096 Jan  5 12:34 name" with its variants: no link
// count or group, numeric owners, an ACL mark with the link count glued on,
// every type letter, permissions one character short or with other letters
// (enterprise Unix "-C--E-----FTP"), device numbers or sizes, sizes with units
// or run into the group, localised, CJK, numeric and ISO dates, the BSD full
// time "Jan  5 12:34:56 2020" (VShell), no date at all, octal modes with epoch
// times ("100644 1 u g 12 1577836800 name"), and NetWare's
// "d [RWCEAFMS] owner 512 Jan 05 12:34 name". One blank separates the date from
// the name; any further blanks belong to the name.
bool ParseUnixLine(const FtpLine& line, const DateTimeParts& now, FtpRawEntry& entry);

// "01-05-20  12:34PM  <DIR>  name", "01-05-2020  14:34  1,234 name",
// "05.01.2020  14:34  12k name".
bool ParseDosLine(const FtpLine& line, FtpRawEntry& entry);

// "     1234  A    01-05-20  12:34  NAME" and "0  DIR  01-05-20  12:34  SUB".
bool ParseOs2Line(const FtpLine& line, FtpRawEntry& entry);

// "NAME.EXT;3  12/14  5-JAN-2020 12:34:56 [GROUP,OWNER] (RWED,RWED,RE,)", its
// fields in any order, without the time, with sizes in blocks or units.
bool ParseVmsLine(const FtpLine& line, FtpRawEntry& entry);
// A VMS name alone on its line: the rest of the entry follows on the next line.
bool IsVmsNameOnly(const FtpLine& line);

// "+i8388621.48594,m825718503,r,s280,\tname".
bool ParseEplfLine(std::string_view line, FtpRawEntry& entry);

// "type=file;size=1234;modify=20200105123456; name" (the MLSD form). Strict: a
// fact list without its closing ';', a size that is no number or a modify time
// that is not a full timestamp makes the line unreadable.
bool ParseFactsLine(std::string_view line, FtpRawEntry& entry);
// Begins with "fact=": no other format may read the line.
bool LooksLikeFactsLine(std::string_view line);

// AS/400 dates in the format of the server job: the field order (MDY, DMY, YMD)
// is decided from every date of a listing together.
struct As400Stamp {
    std::array<int, 3> values{};
    char separator = 0; // 0: the line shows no date
    bool firstIsYear = false;
    bool julian = false; // year and day of the year
    DateTimeParts clock;
};
enum class As400DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };
As400DateOrder DecideAs400DateOrder(const std::vector<As400Stamp>& stamps);
double As400DateTime(const As400Stamp& stamp, As400DateOrder order);

// "OWNER  77824 02/23/00 15:09:55 *DIR  name/" and "OWNER  *MEM  LIB.FILE/M.MBR".
// `stamp` receives the date as printed; `entry` gets it in the line's own order.
bool ParseAs400Line(const FtpLine& line, FtpRawEntry& entry, As400Stamp& stamp);

// MVS (z/OS) listings; each follows its header line.
bool IsMvsDatasetHeader(const FtpLine& line);
bool ParseMvsDatasetLine(const FtpLine& line, FtpRawEntry& entry);
bool IsMvsMemberHeader(const FtpLine& line);
bool ParseMvsMemberLine(const FtpLine& line, FtpRawEntry& entry);
bool IsMvsLoadModuleHeader(const FtpLine& line);
bool ParseMvsLoadModuleLine(const FtpLine& line, FtpRawEntry& entry);

// z/VM CMS: "PROFILE  EXEC  A1 V  67  15  1 2020-01-05 12:34:56 DISK191"
// (name, type, mode, record format, record length, records, blocks, date,
// time, label); "DIR" as the record format marks a folder.
bool ParseCmsLine(const FtpLine& line, FtpRawEntry& entry);

// HP NonStop (Tandem): "ALTERNA  1000  1910 01-Oct-99 11:49:06 255,255 \"nunu\""
// (name, file code, end-of-file bytes, date, time, owner, security).
bool ParseNonStopLine(const FtpLine& line, FtpRawEntry& entry);

// VxWorks: "   1024    JAN-05-2020  12:34:56   name   <DIR>".
bool ParseVxWorksLine(const FtpLine& line, FtpRawEntry& entry);

// OS-9: "  0.0  20/01/05 1234  d-ewrewr  a00  220  CMDS" (owner, date yy/mm/dd,
// time hhmm, attributes, sector and byte count in hexadecimal, name).
bool ParseOs9Line(const FtpLine& line, FtpRawEntry& entry);

// Nortel switches: "name  size  MM/DD/YYYY  HH:MM:SS", a trailing "<DIR>"
// for folders.
bool ParseNortelLine(const FtpLine& line, FtpRawEntry& entry);

// Lines that are no entry of any format: totals, column headers, rulers, the
// "Directory" heading of VMS and the volume lines of Windows "dir".
bool IsListingNoise(const FtpLine& line);
