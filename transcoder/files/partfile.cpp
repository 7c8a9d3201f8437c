#include "partfile.h"

#include "posix/directorylisting.h"
#include "posix/uniquefd.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char unknownId[] = "00000000";
// A part from another machine (a shared network folder) may be in the middle
// of being written; one untouched for this long is not, as ffmpeg writes all
// the time and a stalled one is stopped within a minute or two.
constexpr time_t foreignPartAge = 10 * 60;
constexpr std::size_t longestBase = 100;

bool allOf(const std::string &text, int (*isKind)(int))
{
    for (unsigned char c : text) {
        if (!isKind(c))
            return false;
    }
    return !text.empty();
}

// Cut at a character boundary, since vfat refuses names that are not UTF-8.
std::string shortened(const std::string &name)
{
    if (name.size() <= longestBase)
        return name;
    std::size_t end = longestBase;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xc0) == 0x80)
        --end;
    return name.substr(0, end);
}

struct Writer
{
    std::string machine;
    std::string boot;
    pid_t pid = 0;
    unsigned long long startTime = 0;
};

std::string firstHexDigits(const char *path)
{
    std::ifstream file(path);
    std::string digits;
    for (char c; digits.size() < 8 && file.get(c);) {
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += char(std::tolower(static_cast<unsigned char>(c)));
    }
    return digits.size() == 8 ? digits : unknownId;
}

// The process's start, in clock ticks since boot; 0 when there is no such process.
unsigned long long startTimeOf(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(file, stat);
    // The name in parentheses may hold anything; the fields follow the last ")".
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    // The state is field 3 and the start time field 22.
    for (int number = 3; number <= 22 && fields >> field; ++number) {
        if (number == 22)
            return std::strtoull(field.c_str(), nullptr, 10);
    }
    return 0;
}

Writer self()
{
    Writer writer;
    writer.machine = firstHexDigits("/etc/machine-id");
    writer.boot = firstHexDigits("/proc/sys/kernel/random/boot_id");
    writer.pid = getpid();
    writer.startTime = startTimeOf(writer.pid);
    return writer;
}

// The tag is ".MMMMMMMMBBBBBBBB-PID-START-RANDOM.part" after the output's name.
bool parse(const std::string &name, Writer *writer)
{
    const std::string suffix = ".part";
    if (name.size() <= suffix.size() || name[0] != '.'
        || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    const std::string stem = name.substr(0, name.size() - suffix.size());
    const std::size_t dot = stem.rfind('.');
    if (dot == std::string::npos || dot < 2)
        return false;
    std::istringstream tag(stem.substr(dot + 1));
    std::string ids, pid, start, random;
    if (!std::getline(tag, ids, '-') || !std::getline(tag, pid, '-') || !std::getline(tag, start, '-')
        || !std::getline(tag, random) || ids.size() != 16 || random.size() != 8 || pid.size() > 9
        || start.size() > 20 || !allOf(ids, isxdigit) || !allOf(random, isxdigit)
        || !allOf(pid, isdigit) || !allOf(start, isdigit))
        return false;
    writer->machine = ids.substr(0, 8);
    writer->boot = ids.substr(8);
    writer->pid = pid_t(std::atol(pid.c_str()));
    writer->startTime = std::strtoull(start.c_str(), nullptr, 10);
    return writer->pid > 0;
}

bool isGone(const Writer &writer, const Writer &me, time_t modified)
{
    if (writer.machine != me.machine || me.machine == unknownId)
        return std::time(nullptr) - modified > foreignPartAge;
    if (writer.boot != me.boot)
        return true;
    // The start time tells a reused process number from the writer itself.
    return startTimeOf(writer.pid) != writer.startTime;
}
} // namespace

std::string PartFile::name(const std::string &outputName)
{
    const Writer writer = self();
    std::random_device device;
    char tag[96];
    std::snprintf(tag, sizeof(tag), "%s%s-%ld-%llu-%08x", writer.machine.c_str(), writer.boot.c_str(),
                  long(writer.pid), writer.startTime, unsigned(device()));
    return "." + shortened(outputName) + "." + tag + ".part";
}

void PartFile::removeStale(const std::string &directory)
{
    const UniqueFd folder(open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.isValid())
        return;
    const Writer me = self();
    DirectoryListing entries(folder.get());
    while (const char *name = entries.next()) {
        Writer writer;
        struct stat info;
        if (!parse(name, &writer))
            continue;
        // Only our own plain files, never where a link points.
        if (fstatat(folder.get(), name, &info, AT_SYMLINK_NOFOLLOW) != 0
            || !S_ISREG(info.st_mode) || info.st_uid != geteuid())
            continue;
        if (isGone(writer, me, info.st_mtime))
            unlinkat(folder.get(), name, 0);
    }
}

