// quillmere-host: makes replicas of flock data files and brings them back into step with their
// originals, in its window or headless.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/host.h"
#include "quillmere/replica_host.h"
#if CVL_QUILLMERE_WINDOW
#include "quillmere/ui/host_window.h"
#endif

namespace {

const char kUsage[] =
    "Usage: quillmere-host [window [FOLDER]]\n"
    "       quillmere-host replica ORIGINAL REPLICA\n"
    "       quillmere-host update [--accept-assessed] [FOLDER | REPLICA]...\n"
    "\n"
    "window   (or no command) opens the briefcase window over FOLDER (the current folder by\n"
    "         default): its pairs and their state, Update, and the choice of which copy wins\n"
    "         where both changed the same record.\n"
    "replica  copies the flock ORIGINAL to REPLICA (a new file) and pairs the two; the pair is\n"
    "         recorded in the replica's folder.\n"
    "update   brings every pair recorded in each FOLDER (the current folder by default), or the\n"
    "         pair of each REPLICA named, back into step: a copy changed alone is copied over the\n"
    "         other, copies changed on both sides are reconciled. Where both copies changed the same\n"
    "         record, nothing is written unless --accept-assessed is given, which updates everything\n"
    "         else and leaves such records as they are in each copy.\n";

class CConsoleUI : public IReplicaHostUI {
public:
    explicit CConsoleUI(UINT decisions) : m_decisions(decisions), m_tty(isatty(STDERR_FILENO)) {}
    void Report(Severity severity, const std::string& text) override {
        EndProgress();
        FILE* out = severity == info ? stdout : stderr;
        std::fprintf(out, "%s%s\n",
                     severity == error     ? "error: "
                     : severity == warning ? "warning: "
                                           : "",
                     text.c_str());
        std::fflush(out);
    }
    int ShowMessage(const std::string& caption, const std::string& text, UINT type) override {
        Report(error, caption.empty() ? text : caption + ": " + text);
        return CvlDefaultButton(type);
    }
    UINT Decisions() override { return m_decisions; }
    void Progress(unsigned long done, unsigned long total) override {
        if (!m_tty || total == 0) return;
        const unsigned percent = unsigned(done * 100 / total);
        if (percent == m_lastPercent) return;
        m_lastPercent = percent;
        std::fprintf(stderr, "\r%3u%% %s", percent > 100 ? 100 : percent, m_line.c_str());
        m_bShown = true;
    }
    void ProgressText(const std::string& text) override {
        if (!m_tty) return;
        m_line = text.substr(0, 60);
        m_lastPercent = ~0u;
    }

private:
    void EndProgress() {
        if (!m_bShown) return;
        std::fprintf(stderr, "\r\033[K");
        m_bShown = false;
    }
    UINT m_decisions;
    bool m_tty;
    bool m_bShown = false;
    unsigned m_lastPercent = ~0u;
    std::string m_line;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "window") {
#if CVL_QUILLMERE_WINDOW
        if (args.size() > 2) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        std::error_code ec;
        const auto folder = std::filesystem::absolute(args.size() == 2 ? args[1] : ".", ec);
        return RunHostWindow(1, argv, folder.lexically_normal().string());
#else
        std::fputs("error: this build has no window\n\n", stderr);
        std::fputs(kUsage, stderr);
        return 2;
#endif
    }
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    UINT decisions = IReconcileOwner::stopWhenUndecided;
    std::vector<std::string> paths;
    for (const std::string& a : args) {
        if (a == "--accept-assessed" && command == "update")
            decisions = IReconcileOwner::acceptAssessed;
        else if (a.starts_with("--")) {
            std::fprintf(stderr, "error: unknown option %s\n\n%s", a.c_str(), kUsage);
            return 2;
        } else
            paths.push_back(a);
    }

    CConsoleUI ui(decisions);
    CReplicaHost host(CReplicaHost::DefaultLibraryPath(), ui);
    if (command == "replica") {
        if (paths.size() != 2) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        return host.MakeReplica(paths[0], paths[1]) ? 0 : 1;
    }
    if (command != "update") {
        std::fprintf(stderr, "error: unknown command %s\n\n%s", command.c_str(), kUsage);
        return 2;
    }
    if (paths.empty()) paths.push_back(".");
    bool ok = true;
    for (const std::string& path : paths) {
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec)) {
            ok &= host.UpdateFolder(path);
        } else {
            const std::filesystem::path p = std::filesystem::absolute(path, ec);
            ok &= host.UpdateFolder(p.parent_path().string(), {p.filename().string()});
        }
    }
    return ok ? 0 : 1;
}
