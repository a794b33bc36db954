// The program's stream on logo.txt follows a new file put in place of the old one, keeps the
// old stream while the name leads nowhere readable, and leaks no stream.
#include "logo_file.h"
#include "outline.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

void writeFile(const char* path, double value) {
    FILE* file = std::fopen(path, "w");
    ASSERT_NE(file, nullptr);
    std::fprintf(file, "P\n%24s%-13.2f%.2f\n", "", value, value);
    std::fclose(file);
}

// The point the first slot holds after following the name and loading.
double loadedValue() {
    followLogoFile();
    loadOutline();
    EXPECT_EQ(pTable[1].x, pTable[1].y);
    return pTable[1].x;
}

int openDescriptors() {
    int count = 0;
    DIR* folder = opendir("/proc/self/fd");
    while (folder && readdir(folder)) {
        ++count;
    }
    closedir(folder);
    return count;
}

} // namespace

TEST(LogoFile, FollowsTheFileTheNameStandsFor) {
    char folder[] = "/tmp/logotipo-follow-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    char home[4096];
    ASSERT_NE(getcwd(home, sizeof home), nullptr);
    ASSERT_EQ(chdir(folder), 0);
    resetOutline();

    writeFile("logo.txt", 1);
    ASSERT_TRUE(openLogoFile());
    EXPECT_EQ(loadedValue(), 1);
    int descriptors = openDescriptors();

    // Saved as editors do: a new file renamed over the name.
    writeFile("logo.new", 2);
    ASSERT_EQ(rename("logo.new", "logo.txt"), 0);
    EXPECT_EQ(loadedValue(), 2);
    // Edited in place: the same file, read again.
    writeFile("logo.txt", 3);
    EXPECT_EQ(loadedValue(), 3);
    // The name briefly missing: the open stream still reads the file it holds.
    ASSERT_EQ(unlink("logo.txt"), 0);
    EXPECT_EQ(loadedValue(), 3);
    // A folder opens, and every read of it fails: the tables stay as they were.
    ASSERT_EQ(mkdir("logo.txt", 0700), 0);
    EXPECT_EQ(loadedValue(), 3);
    EXPECT_EQ(loadedValue(), 3);
    // A file again: its stream starts without the folder's read error.
    ASSERT_EQ(rmdir("logo.txt"), 0);
    writeFile("logo.txt", 4);
    EXPECT_EQ(loadedValue(), 4);
    EXPECT_EQ(openDescriptors(), descriptors);

    std::fclose(outlineFile);
    outlineFile = nullptr;
    unlink("logo.txt");
    ASSERT_EQ(chdir(home), 0);
    rmdir(folder);
}
