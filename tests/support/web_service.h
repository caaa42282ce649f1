// The test web service (tests/support/web_service.py) on 127.0.0.1, started for one test and killed
// at its end; over HTTPS with a certificate made for the test.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

class CTestWebService {
public:
    // One logged request: method, path, query, content-type and the decoded form fields.
    using Request = std::map<std::string, std::string>;

    // With https, makes a self-signed certificate for 127.0.0.1 in the folder first.
    CTestWebService(const std::string& folder, bool https = false) : m_log(folder + "/service.log") {
        std::vector<std::string> args = {CVL_PYTHON, CVL_TESTS_SOURCE "/support/web_service.py", "--log",
                                         m_log};
        if (https) {
            m_cert = folder + "/service-cert.pem";
            const std::string key = folder + "/service-key.pem";
            const std::string command =
                "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 "
                "-addext subjectAltName=IP:127.0.0.1 -keyout '" +
                key + "' -out '" + m_cert + "' 2>/dev/null";
            if (std::system(command.c_str()) != 0) ADD_FAILURE() << "openssl could not make a certificate";
            args.insert(args.end(), {"--cert", m_cert, "--key", key});
        }
        int out[2];
        if (pipe(out) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            // The service ends with the test, even when the test crashes.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            dup2(out[1], 1);
            close(out[0]);
            close(out[1]);
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        FILE* in = fdopen(out[0], "r");
        if (!in || std::fscanf(in, "%d", &m_port) != 1) ADD_FAILURE() << "the test web service did not start";
        if (in) std::fclose(in);
        m_base = std::string(https ? "https" : "http") + "://127.0.0.1:" + std::to_string(m_port);
    }
    ~CTestWebService() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    CTestWebService(const CTestWebService&) = delete;
    CTestWebService& operator=(const CTestWebService&) = delete;

    std::string Url(const std::string& path) const { return m_base + path; }
    const std::string& CertificateFile() const { return m_cert; }

    std::vector<Request> Requests() const {
        std::vector<Request> requests;
        std::ifstream in(m_log);
        std::string line;
        Request current;
        while (std::getline(in, line)) {
            if (line.empty()) {
                if (!current.empty()) requests.push_back(current);
                current.clear();
                continue;
            }
            const size_t tab = line.find('\t');
            current[line.substr(0, tab)] = tab == std::string::npos ? "" : Unescape(line.substr(tab + 1));
        }
        return requests;
    }

private:
    static std::string Unescape(const std::string& text) {
        std::string out;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '\\' || i + 1 == text.size()) {
                out += text[i];
                continue;
            }
            const char c = text[++i];
            out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
        }
        return out;
    }

    std::string m_log;
    std::string m_cert;
    std::string m_base;
    pid_t m_pid = -1;
    int m_port = 0;
};
