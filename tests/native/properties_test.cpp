// Random and mutated hosts files from a fixed seed: any failure reproduces with the printed case.
#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "hosts_properties.h"
#include "test_support.h"

namespace hostline {
namespace {

using testing::kConstants;
using testing::kEqualLines;

// Pieces that hosts files are made of, weighted towards the ones the rules care about.
// A long comment lets a NUL or a pasted UTF-16 fragment after it lie past the bytes that tell the
// encoding, until a save drops a line above it.
const std::string kLongComment = "# " + std::string(300, '-');
const std::string_view kPieces[] = {
    HOST, HOST, HOST, "SERVICE.Example.com", " ", " ", "\t", "#", "\r\n", "\r\n", "\n", "\r", "192.0.2.1",
    "198.51.100.1", "10.0.0.1", "127.0.0.1 localhost", "www.", ".", ".cn", "a", "\xD6\xD0\xCE\xC4", "\xB2", "\xE4\xB8\xAD",
    "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF", "\x1A", "x", kLongComment, {"\0", 1}, {"a\0b\0c\0d\0e\0f\0g\0h\0", 16},
};

std::string RandomHostsFile(std::mt19937& random) {
    std::uniform_int_distribution<int> pieceCount(0, 60);
    std::uniform_int_distribution<std::size_t> piece(0, std::size(kPieces) - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> percent(0, 99);
    std::string file;
    const int count = pieceCount(random);
    for (int i = 0; i < count; ++i) {
        if (percent(random) < 5) {
            file += static_cast<char>(byte(random));
        } else if (percent(random) < 1) {
            file += '\0';
        } else {
            file += kPieces[piece(random)];
        }
    }
    // One in five as UTF-16 without a mark, in either byte order, its bytes widened to units and now
    // and then a Chinese character among them (U+6700's NUL stands where ASCII has none).
    if (percent(random) < 20) {
        std::u16string units;
        for (const char c : file) {
            if (percent(random) < 1) units += percent(random) < 50 ? u'\u4E2D' : u'\u6700';
            units += static_cast<char16_t>(static_cast<unsigned char>(c));
        }
        file = testing::Utf16Bytes(units, percent(random) < 50);
    }
    // Mutations of real structure: flip a byte or cut the file short.
    if (!file.empty() && percent(random) < 20) file[random() % file.size()] = static_cast<char>(byte(random));
    if (!file.empty() && percent(random) < 10) file.resize(random() % file.size());
    return file;
}

std::string Escaped(const std::string& bytes) {
    std::string out;
    for (const unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

std::string Failure(const std::string& problem, int i, LineChoice choice, const BufferSizes& sizes, std::size_t step,
                    const std::string& file) {
    return problem + " (case " + std::to_string(i) + ", choice " + std::to_string(static_cast<int>(choice)) +
           ", runs of " + std::to_string(sizes.ReadRun) + ", staging " + std::to_string(sizes.Staging) +
           ", reads of " + std::to_string(step) + "): \"" + Escaped(file) + '"';
}

// Buffers of a few bytes, so that the pieces of these short files fall on both sides of half,
// one and two capacities; now and then the program's own sizes.
TEST(Properties, TheProgramAgreesWithTheModel) {
    std::mt19937 random(20261208);
    std::uniform_int_distribution<std::size_t> smallBuffer(1, 40);
    std::uniform_int_distribution<std::size_t> readSize(1, 24);
    for (int i = 0; i < 20000; ++i) {
        const std::string file = RandomHostsFile(random);
        const HostsConstants& constants = i % 10 == 0 ? kEqualLines : kConstants;
        const BufferSizes sizes = i % 10 == 5 ? BufferSizes{} : BufferSizes{smallBuffer(random), smallBuffer(random)};
        const std::size_t step = i % 3 == 0 ? std::string::npos : readSize(random);
        for (const LineChoice choice : {LineChoice::Automatic, LineChoice::Line1, LineChoice::Line2}) {
            const std::string problem = testing::CompareWithModel(file, choice, constants, sizes, step);
            ASSERT_EQ(problem, "") << Failure(problem, i, choice, sizes, step, file);
        }
    }
}

// At the program's own sizes: runs of whole CR LF lines just under, at and over half, one and two
// staging buffers, after staged bytes of two kinds (the first two bytes held back while a file
// without a mark is checked for a UTF-16 look, and a lone-LF line's new terminator) and before
// the first line that changes; and the shapes of real hosts files that once came out reordered.
TEST(Properties, TheProgramAgreesWithTheModelAtItsOwnBufferSizes) {
    std::vector<std::string> files = testing::FilesOnceReordered();
    for (const std::size_t size : {32767u, 32768u, 65534u, 65536u, 131072u}) {
        files.push_back("1.1.1.1 " HOST "\r\n" + testing::BlocklistLines(size));
        files.push_back("127.0.0.1 localhost\n" + testing::BlocklistLines(size));
        // CR LF lines of every length up to the change, so that pairs fall across every place
        // in the words the terminators are tested in.
        files.push_back(testing::BlocklistLines(size) + "1.1.1.1 " HOST "\r\n");
        files.push_back(testing::BlocklistLines(size) + "last\n");
    }
    for (const std::string& file : files) {
        for (const LineChoice choice : {LineChoice::Automatic, LineChoice::Line1, LineChoice::Line2}) {
            const std::string problem = testing::CompareWithModel(file, choice, kConstants, {}, 64 * 1024);
            EXPECT_EQ(problem, "") << Failure(problem, 0, choice, {}, 64 * 1024, file.substr(0, 40));
        }
    }
}


// The model itself, anchored to a real reader of hosts files: glibc's, as `getent -s files hosts`
// answers with a file of ours bind-mounted over /etc/hosts in a mount namespace of this process's
// own. glibc skips lines whose first field is no address and reads a trailing dot as another name
// (Windows, like this program, takes it for the same host), so the files hold neither.
class GlibcHostsFile {
public:
    GlibcHostsFile() {
        char name[] = "/tmp/hostline-hosts-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0) return;
        close(fd);
        path_ = name;
        ready_ = geteuid() == 0 && unshare(CLONE_NEWNS) == 0 &&
                 mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                 mount(path_.c_str(), "/etc/hosts", nullptr, MS_BIND, nullptr) == 0;
    }
    ~GlibcHostsFile() {
        if (ready_) umount("/etc/hosts");
        if (!path_.empty()) std::remove(path_.c_str());
    }
    bool Ready() const { return ready_; }

    // The first address glibc gives for the host with `file` as the hosts file; empty if none.
    std::string FirstAddress(const std::string& file) const {
        std::ofstream(path_, std::ios::binary | std::ios::trunc) << file;
        FILE* getent = popen("LC_ALL=C getent -s files hosts " HOST " 2>/dev/null", "r");
        if (!getent) return "<getent did not start>";
        char line[512] = {};
        const bool got = std::fgets(line, sizeof line, getent) != nullptr;
        pclose(getent);
        const std::string text = got ? line : "";
        return text.substr(0, text.find_first_of(" \t\n"));
    }

private:
    std::string path_;
    bool ready_ = false;
};

std::string RandomEntriesFile(std::mt19937& random) {
    const char* const addresses[] = {"192.0.2.1", "198.51.100.1", "10.0.0.7", "127.0.0.1"};
    const char* const names[] = {HOST, HOST, "SERVICE.EXAMPLE.COM", "Service.example.com", "www.example.com",
                                 HOST ".cn", "x" HOST, HOST HOST, "www." HOST, "localhost"};
    const char* const blanks[] = {" ", "\t", "  ", " \t "};
    const auto pick = [&random](const auto& from) { return from[random() % std::size(from)]; };
    std::string file;
    for (int line = random() % 6; line >= 0; --line) {
        if (random() % 3 == 0) file += pick(blanks);
        switch (random() % 4) {
            case 0:
                file += std::string("#") + pick(addresses) + pick(blanks) + pick(names);
                break;
            case 1:
                break;
            default:
                file += pick(addresses);
                for (int name = random() % 4; name >= 0; --name) file += std::string(pick(blanks)) + pick(names);
                if (random() % 3 == 0) file += std::string(random() % 2 ? "" : pick(blanks)) + "#" + pick(names);
        }
        file += random() % 2 ? "\n" : "\r\n";
    }
    return file;
}

TEST(Properties, TheModelReadsTheHostAsGlibcDoes) {
    const GlibcHostsFile glibc;
    if (!glibc.Ready()) GTEST_SKIP() << "needs root and a mount namespace of its own";
    std::mt19937 random(4343);
    int entries = 0;
    for (int i = 0; i < 300; ++i) {
        const std::string file = RandomEntriesFile(random);
        const std::string modelled = model::Detect(file, kConstants).Address;
        ASSERT_EQ(modelled, glibc.FirstAddress(file)) << "case " << i << ": \"" << Escaped(file) << '"';
        entries += !modelled.empty();
    }
    EXPECT_GT(entries, 100) << "too few files map the host to tell anything";
}
}  // namespace
}  // namespace hostline
