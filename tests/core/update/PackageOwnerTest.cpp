#include "core/update/PackageOwner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace zentra {
namespace {

using test::spit;

// A dpkg database of our own (ADMIN/info/*.list) beside a folder tree that
// stands for the root file system: usr/bin with the programs and bin, a link
// to usr/bin as on a merged /usr.
class PackageOwnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char *d : {"admin", "admin/info", "root", "root/usr", "root/usr/bin", "copy", "copy/usr",
                              "copy/usr/bin", "root/usr/share", "root/usr/share/zentra"})
            ::mkdir(dir.file(d).c_str(), 0755);
        ::symlink("usr/bin", root("/bin").c_str());
        for (const char *p : {"/usr/bin/zentra", "/usr/bin/zentra-update", "/usr/bin/zentra-cli"}) {
            spit(root(p), "program");
            spit(dir.file("copy") + p, "program");
        }
        spit(admin + "/info/coreutils.list", "/.\n/usr\n/usr/bin\n/usr/bin/ls\n");
    }
    std::string root(const std::string &p) const { return dir.file("root") + p; }

    test::TempDir dir;
    std::string admin = dir.file("admin");
};

TEST_F(PackageOwnerTest, OwnerIsThePackageWhoseListNamesTheSameFile)
{
    const std::string usrBin = root("/usr/bin/zentra");
    struct Case {
        const char *name;
        std::string listName; // file under info/
        std::string listed;   // the list's lines
        std::string asked;    // the file asked about
        std::string owner;    // expected
    } cases[] = {
        {"listed as asked", "zentra.list", "/.\n" + root("/usr") + "\n" + usrBin + "\n", usrBin, "zentra"},
        {"last line without a line feed", "zentra.list", root("/usr/bin") + "\n" + usrBin, usrBin, "zentra"},
        {"kept per architecture", "zentra:amd64.list", usrBin + "\n", usrBin, "zentra:amd64"},
        {"listed through the linked folder", "zentra.list", root("/bin/zentra") + "\n", usrBin, "zentra"},
        {"asked through the linked folder", "zentra.list", usrBin + "\n", root("/bin/zentra"), "zentra"},
        {"an unpacked copy of the listed file", "zentra.list", usrBin + "\n", dir.file("copy/usr/bin/zentra"), ""},
        {"only a folder of that name listed", "zentra.list", root("/usr/share/zentra") + "\n", usrBin, ""},
        {"a longer name ending the same", "zentra.list", root("/usr/bin/zentra-update") + "\n", usrBin, ""},
        {"not listed at all", "other.list", "/usr/bin/ls\n", usrBin, ""},
        {"a file that does not exist", "zentra.list", root("/usr/bin/gone") + "\n", root("/usr/bin/gone"), ""},
        {"not a list", "zentra.md5sums", "0123  " + usrBin + "\n", usrBin, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        spit(admin + "/info/" + c.listName, c.listed);
        EXPECT_EQ(owningPackage(c.asked, admin), c.owner);
        ::unlink((admin + "/info/" + c.listName).c_str());
    }
}

TEST_F(PackageOwnerTest, WithoutADpkgDatabaseNothingIsOwned)
{
    EXPECT_EQ(owningPackage(root("/usr/bin/zentra"), dir.file("none")), "");
    EXPECT_FALSE(packageManagedPrograms(root("/usr/bin"), dir.file("none")));
}

TEST_F(PackageOwnerTest, AProgramFolderIsManagedWhenEitherProgramIsListed)
{
    EXPECT_FALSE(packageManagedPrograms(root("/usr/bin"), admin));
    spit(admin + "/info/zentra.list", root("/usr/bin/zentra-update") + "\n");
    EXPECT_TRUE(packageManagedPrograms(root("/usr/bin"), admin));
    // A copy unpacked elsewhere (make install to a prefix, dpkg -x) keeps
    // updating itself.
    EXPECT_FALSE(packageManagedPrograms(dir.file("copy/usr/bin"), admin));
    spit(admin + "/info/zentra.list", root("/usr/bin/zentra") + "\n");
    EXPECT_TRUE(packageManagedPrograms(root("/usr/bin"), admin));
    // zentra-cli alone is not what the updater replaces or restarts.
    spit(admin + "/info/zentra.list", root("/usr/bin/zentra-cli") + "\n");
    EXPECT_FALSE(packageManagedPrograms(root("/usr/bin"), admin));
}

TEST_F(PackageOwnerTest, TheDatabaseIsDpkgsOwnUnlessDpkgAdmindirNamesAnother)
{
    const char *old = std::getenv("DPKG_ADMINDIR");
    const std::string saved = old ? old : "";
    ::unsetenv("DPKG_ADMINDIR");
    EXPECT_EQ(dpkgAdminDir(), "/var/lib/dpkg");
    ::setenv("DPKG_ADMINDIR", "", 1);
    EXPECT_EQ(dpkgAdminDir(), "/var/lib/dpkg");
    ::setenv("DPKG_ADMINDIR", admin.c_str(), 1);
    EXPECT_EQ(dpkgAdminDir(), admin);
    spit(admin + "/info/zentra.list", root("/usr/bin/zentra") + "\n");
    EXPECT_TRUE(packageManagedPrograms(root("/usr/bin")));
    if (old)
        ::setenv("DPKG_ADMINDIR", saved.c_str(), 1);
    else
        ::unsetenv("DPKG_ADMINDIR");
}

}
}
