// Cases that need a second user (the lock and the save against other users' files) and the folder
// they share. They need root: outside CI they are skipped; CI runs as root, where a skip would hide
// them, so there they fail instead.
#pragma once

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

#define CVL_REQUIRE_ROOT()                                                            \
    do {                                                                              \
        if (::geteuid() != 0) {                                                       \
            const char* ci = std::getenv("CI");                                       \
            if (ci && std::string(ci) == "true") FAIL() << "CI must run as root";     \
            GTEST_SKIP() << "skipped: needs root";                                    \
        }                                                                             \
    } while (0)

// The second user: nobody.
inline constexpr uid_t kOtherUid = 65534;
inline constexpr gid_t kOtherGid = 65534;

// Runs `body` in a child process as the other user and returns what it returned ("exit N" or
// "signal N" when it did not return).
inline std::string AsOtherUser(const std::function<std::string()>& body) {
    int fds[2];
    if (pipe(fds) != 0) return "no pipe";
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        std::string result;
        if (setgroups(0, nullptr) != 0 || setgid(kOtherGid) != 0 || setuid(kOtherUid) != 0)
            result = "cannot become the other user";
        else
            result = body();
        (void)!write(fds[1], result.data(), result.size());
        _exit(0);
    }
    close(fds[1]);
    std::string result;
    char buf[256];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) result.append(buf, size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
    if (WEXITSTATUS(status) != 0) return "exit " + std::to_string(WEXITSTATUS(status));
    return result;
}

// A fresh folder that both users may write (removed at the end).
class CSharedFolder {
public:
    CSharedFolder() {
        std::string tmpl = testing::TempDir() + "/sharedXXXXXX";
        if (mkdtemp(tmpl.data())) m_dir = tmpl;
        chmod(m_dir.c_str(), 0777);
    }
    ~CSharedFolder() {
        const std::string cmd = "rm -rf '" + m_dir + "'";
        (void)!std::system(cmd.c_str());
    }
    CSharedFolder(const CSharedFolder&) = delete;
    CSharedFolder& operator=(const CSharedFolder&) = delete;

    const std::string& Dir() const { return m_dir; }
    std::string Path(const std::string& name) const { return m_dir + "/" + name; }

private:
    std::string m_dir;
};
