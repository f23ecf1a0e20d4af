// Reading PCF (Piping Component File) text into io/pcf_model.h. The reader is lenient
// the way the files demand: unknown keywords are kept as text, a component without the
// points its kind needs is set aside with its line and the reason (Pipeline::skipped), and
// doubtful values give warnings with their line. Only a file that is not PCF text at all
// is refused.
//
// What it accepts: UTF-8 or Windows-1252, CR, LF or CRLF, a byte-order mark, blank lines
// anywhere; keywords in any case; any indentation (see docs/pcf-import.md for the block
// rules); UNITS-BORE and UNITS-CO-ORDS in MM or INCH anywhere before a pipeline's last
// component; several pipelines per file; a MATERIALS section.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "io/atomic_file.h"
#include "io/pcf_model.h"

namespace zkl::io {

// A file that cannot be read as PCF. The message is "SOURCE:LINE: problem", or
// "SOURCE: problem" when no one line is at fault.
class PcfError : public FileError {
public:
    PcfError(std::string source, int line, const std::string& problem);

    const std::string& Source() const { return source_; }
    int Line() const { return line_; }

private:
    std::string source_;
    int line_;
};

// sourceName names the file in messages and in the result. Throws PcfError when the text
// is empty, holds binary data or has no component that could be read.
pcf::PcfFile ParsePcf(std::string_view bytes, const std::string& sourceName);

// Throws FileError when the file cannot be read, PcfError as ParsePcf.
pcf::PcfFile ReadPcf(const std::filesystem::path& path);

// Whether the keyword (upper case) starts a component, and how its points are read.
bool IsPcfComponentKeyword(std::string_view keyword);

}  // namespace zkl::io
