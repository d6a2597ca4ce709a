// Which files a command may read and write: only regular files are read, an
// output never replaces an input, a directory or a device, and charts of
// one directory never share a name.
#include "report/common/common.h"

#include <istream>

#include <filesystem>

namespace formeval::report {

namespace fs = std::filesystem;

std::string writtenfile(const std::string& path, std::string& why) {
    std::error_code ec;
    const fs::file_status link = fs::symlink_status(path, ec);
    if (ec || !fs::exists(link)) return path; // nothing there yet: a new file
    fs::path target = path;
    if (fs::is_symlink(link)) {
        target = fs::canonical(path, ec);
        if (ec) {
            why = "is a link to nothing; no output replaces it";
            return "";
        }
    }
    const fs::file_status status = fs::status(target, ec);
    if (ec || !fs::is_regular_file(status)) {
        why = fs::is_directory(status) ? "is a directory, not a file; no output replaces it"
                                       : "is not a regular file (a device, a pipe or a socket); "
                                         "no output replaces it";
        return "";
    }
    return target.string();
}

std::string unreadable(const std::string& path, std::uintmax_t limit) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status)) return "";
    if (fs::is_directory(status)) return "is a directory, not a file";
    if (!fs::is_regular_file(status))
        return "is not a regular file (a pipe, a device or a socket); formreport reads files";
    const std::uintmax_t size = fs::file_size(path, ec);
    if (limit > 0 && !ec && size > limit)
        return "holds " + std::to_string(size) + " bytes, more than the " + std::to_string(limit) +
               " bytes such a file may hold";
    return "";
}

std::string encodingrefusal(std::string_view head) {
    const auto starts = [head](std::string_view mark) {
        return head.substr(0, mark.size()) == mark;
    };
    const auto zero = [head](std::size_t k) { return k < head.size() && head[k] == '\0'; };
    const auto ascii = [head](std::size_t k) {
        return k < head.size() && head[k] != '\0' && static_cast<unsigned char>(head[k]) < 0x80;
    };
    std::string encoding;
    if (starts(std::string_view("\xFF\xFE\0\0", 4)) || starts(std::string_view("\0\0\xFE\xFF", 4)))
        encoding = "UTF-32";
    else if (starts("\xFF\xFE") || starts("\xFE\xFF"))
        encoding = "UTF-16";
    else if ((ascii(0) && zero(1) && ascii(2) && zero(3)) ||
             (zero(0) && ascii(1) && zero(2) && ascii(3)))
        encoding = "UTF-16";
    if (encoding.empty()) return "";
    return "is " + encoding + " text, which formreport does not read: save it as UTF-8 or ASCII";
}

std::string encodingrefusal(std::istream& in) {
    char head[4];
    in.read(head, sizeof head);
    const std::string why = encodingrefusal({head, static_cast<std::size_t>(in.gcount())});
    in.clear();
    in.seekg(0);
    return why;
}

std::string stemclash(const std::vector<std::string>& inputs) {
    for (std::size_t i = 0; i < inputs.size(); ++i)
        for (std::size_t j = 0; j < i; ++j) {
            std::error_code ec;
            if (fs::path(inputs[i]).stem() != fs::path(inputs[j]).stem() ||
                fs::equivalent(inputs[i], inputs[j], ec))
                continue;
            return printable(inputs[j]) + " and " + printable(inputs[i]) +
                   " would give their charts the same names; draw them into directories of "
                   "their own";
        }
    return "";
}

std::string outputrefusal(const std::string& output, const std::vector<std::string>& inputs) {
    if (output == "-") return "standard output is not a file this command writes: name one";
    std::string why;
    if (writtenfile(output, why).empty()) return why;
    for (const std::string& input : inputs) {
        std::error_code ec;
        if (fs::equivalent(output, input, ec))
            return "is one of the inputs (" + printable(input) + "); writing it would destroy it";
    }
    return "";
}

} // namespace formeval::report
