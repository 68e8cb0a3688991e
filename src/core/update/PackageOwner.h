#pragma once

#include <string>

namespace zentra {

// Whether the system's package manager installed our programs. dpkg lists the
// files of every installed package, one absolute path a line, in
// ADMIN/info/PACKAGE.list, where ADMIN is $DPKG_ADMINDIR (as for dpkg itself)
// or /var/lib/dpkg. A program the package manager owns is upgraded by it: our
// own updater must never replace its files, or the next package upgrade or
// removal would clash with what it finds.

// What the window and zentra-update say instead of updating such an install.
inline constexpr const char *kPackageManagedText = "请使用系统的软件包管理器升级本软件";

// $DPKG_ADMINDIR when set and not empty, else /var/lib/dpkg.
std::string dpkgAdminDir();

// The package whose file list names `file` ("zentra", or "libc6:amd64" for a
// list kept per architecture); empty when none does, when `file` does not
// exist or when there is no dpkg database. A listed path counts when it is the
// same file, so one reached through a linked folder (/bin -> usr/bin) matches
// too; a file of the same name elsewhere (an unpacked copy) does not.
std::string owningPackage(const std::string &file, const std::string &adminDir);

// Whether the programs in `programDir` (zentra, zentra-update) belong to a
// package: such a folder is upgraded by the package manager only.
bool packageManagedPrograms(const std::string &programDir, const std::string &adminDir = dpkgAdminDir());

}
