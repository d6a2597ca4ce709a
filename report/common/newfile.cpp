// A new file beside another, under a name of its own, for writing a file
// whole before it takes its name.
#include "report/common/common.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace formeval::report {

std::string newfilebeside(const std::string& path) {
    std::random_device seed;
    std::mt19937_64 draw(seed());
    constexpr const char* letters = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = path + ".part-";
        for (int k = 0; k < 6; ++k) name += letters[draw() % 36];
        // 0666 less the umask, as the file it stands in for would be made:
        // a picture or report others may read where the lab's umask lets them.
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        if (errno != EEXIST) return "";
    }
    return "";
}

} // namespace formeval::report
