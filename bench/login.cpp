// Time of a login that is refused for a wrong password, for an unknown user
// and for a right one, in a fresh data folder under $TMPDIR; each the median of
// N attempts. A refusal must not tell whether the user exists, so the first
// two figures should be about equal.
//
// Usage: bench_login [N]   (default: 15)
#include "core/config/AppState.h"
#include "core/config/DataFolder.h"
#include "core/data/Schema.h"
#include "core/users/UserAccounts.h"
#include "core/users/UserLogin.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

using namespace zentra;

int main(int argc, char **argv)
{
    const int n = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("zentra-bench-login-" + std::to_string(::getpid()));
    const DataFolder folder(dir.string());
    if (!initDataFolder(folder)) {
        std::fprintf(stderr, "cannot make %s\n", dir.c_str());
        return 1;
    }
    UserAccounts(folder.databasePath()).addUser("packer", "secret", "secret", "2026-01-01 00:00:00");
    UserLogin logins(folder.databasePath());
    auto median = [&](const char *name, const char *password) {
        std::vector<double> ms;
        for (int i = 0; i < n; ++i) {
            AppState state;
            const auto t0 = std::chrono::steady_clock::now();
            logins.login(name, password, "2026-01-01 00:00:00", state);
            ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        }
        std::sort(ms.begin(), ms.end());
        return ms[ms.size() / 2];
    };
    std::printf("wrong password: %.1f ms\n", median("packer", "guess"));
    std::printf("unknown user:   %.1f ms\n", median("nobody", "guess"));
    std::printf("right password: %.1f ms\n", median("packer", "secret"));
    std::filesystem::remove_all(dir);
    return 0;
}
