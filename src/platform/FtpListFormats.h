#pragma once

#include "platform/FtpListFields.h"
#include "platform/FtpListParser.h"

#include <string_view>

// The per-format LIST line parsers behind ParseFtpListing. Each returns false,
// leaving `entry` unspecified, for a line that is not an entry of its format.

// "drwxr-xr-x 2 owner group 4096 Jan  5 12:34 name" with its variants (no link
// count, no group, numeric owners, device numbers, ISO dates) and NetWare's
// "d [RWCEAFMS] owner 512 Jan 05 12:34 name".
bool ParseUnixLine(const FtpLine& line, const DateTimeParts& now, FtpRawEntry& entry);

// "01-05-20  12:34PM  <DIR>  name", "01-05-2020  14:34  1,234 name".
bool ParseDosLine(const FtpLine& line, FtpRawEntry& entry);

// "     1234  A    01-05-20  12:34  NAME" and "0  DIR  01-05-20  12:34  SUB".
bool ParseOs2Line(const FtpLine& line, FtpRawEntry& entry);

// "NAME.EXT;3  12/14  5-JAN-2020 12:34:56 [GROUP,OWNER] (RWED,RWED,RE,)".
bool ParseVmsLine(const FtpLine& line, FtpRawEntry& entry);
// A VMS name alone on its line: the rest of the entry follows on the next line.
bool IsVmsNameOnly(const FtpLine& line);

// "+i8388621.48594,m825718503,r,s280,\tname".
bool ParseEplfLine(std::string_view line, FtpRawEntry& entry);

// "type=file;size=1234;modify=20200105123456; name" (the MLSD form).
bool ParseFactsLine(std::string_view line, FtpRawEntry& entry);

// "OWNER  77824 02/23/00 15:09:55 *DIR  name/" and "OWNER  *MEM  LIB.FILE/M.MBR".
bool ParseAs400Line(const FtpLine& line, FtpRawEntry& entry);

// MVS (z/OS) listings; each follows its header line.
bool IsMvsDatasetHeader(const FtpLine& line);
bool ParseMvsDatasetLine(const FtpLine& line, FtpRawEntry& entry);
bool IsMvsMemberHeader(const FtpLine& line);
bool ParseMvsMemberLine(const FtpLine& line, FtpRawEntry& entry);
