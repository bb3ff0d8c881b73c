// Real address-book servers for the sync's tests: Radicale (Basic authentication from a
// password file), Xandikos (no authentication of its own) and Xandikos behind Digest
// authentication, each started on 127.0.0.1 with a temporary storage, and a second client
// (curl) that changes cards while the sync runs.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace numora::test {

inline int FreeLoopbackPort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    close(s);
    return ntohs(a.sin_port);
}

inline bool Listening(int port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(s);
    return ok;
}

enum class ServerKind { Radicale, Xandikos, XandikosDigest };

class DavServer {
public:
    static constexpr const char* kUser = "alice";
    static constexpr const char* kPassword = "s3cret-Pa55";

    // tls: Radicale on https with a self-signed certificate (CertificateFile()).
    DavServer(ServerKind kind, const std::filesystem::path& dir, bool tls = false)
        : m_kind(kind), m_dir(dir), m_tls(tls) {
        namespace fs = std::filesystem;
        fs::create_directories(dir);
        m_port = FreeLoopbackPort();
        if (kind == ServerKind::Radicale) {
            const fs::path book = dir / "collections/collection-root" / kUser / "contacts";
            fs::create_directories(book);
            std::ofstream(book / ".Radicale.props")
                << R"({"D:displayname": "Contacts", "tag": "VADDRESSBOOK"})";
            std::ofstream(dir / "users") << kUser << ":" << kPassword << "\n";
            std::ofstream(dir / "config")
                << "[server]\nhosts = 127.0.0.1:" << m_port << "\n"
                << (tls ? "ssl = True\ncertificate = " + (dir / "cert.pem").string() +
                              "\nkey = " + (dir / "key.pem").string() + "\n"
                        : std::string())
                << "[auth]\ntype = htpasswd\nhtpasswd_filename = " << (dir / "users").string()
                << "\nhtpasswd_encryption = plain\n"
                << "[storage]\nfilesystem_folder = " << (dir / "collections").string() << "\n"
                << "[rights]\ntype = owner_only\n[logging]\nlevel = warning\n";
            m_collection = "/" + std::string(kUser) + "/contacts/";
            if (tls) {
                const std::string make =
                    "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 "
                    "-addext subjectAltName=IP:127.0.0.1 -keyout " +
                    (dir / "key.pem").string() + " -out " + CertificateFile() + " 2>/dev/null";
                if (std::system(make.c_str()) != 0) return;
            }
        } else {
            m_collection = "/user/contacts/addressbook/";
        }
        m_pid = fork();
        if (m_pid == 0) {
            const std::string log = (dir / "server.log").string();
            const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
            const std::string port = std::to_string(m_port);
            if (kind == ServerKind::Radicale) {
                execlp("radicale", "radicale", "--config", (dir / "config").c_str(), nullptr);
            } else if (kind == ServerKind::Xandikos) {
                execlp("xandikos", "xandikos", "-d", (dir / "store").c_str(), "--defaults", "-l",
                       "127.0.0.1", "-p", port.c_str(), nullptr);
            } else {
                execl("/usr/bin/python3", "python3",
                      NUMORA_SOURCE_DIR "/tests/carddav/xandikos_digest.py",
                      (dir / "store").c_str(), port.c_str(), kUser, kPassword, nullptr);
            }
            _exit(127);
        }
        for (int i = 0; i < 200 && !Listening(m_port); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~DavServer() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    DavServer(const DavServer&) = delete;
    DavServer& operator=(const DavServer&) = delete;

    [[nodiscard]] bool Up() const { return Listening(m_port); }
    [[nodiscard]] bool NeedsPassword() const { return m_kind != ServerKind::Xandikos; }
    [[nodiscard]] std::string Root() const {
        return (m_tls ? "https" : "http") + std::string("://127.0.0.1:") + std::to_string(m_port) +
               "/";
    }
    [[nodiscard]] std::string CertificateFile() const { return (m_dir / "cert.pem").string(); }
    [[nodiscard]] std::string CollectionUrl() const {
        return "http://127.0.0.1:" + std::to_string(m_port) + m_collection;
    }
    [[nodiscard]] std::string Collection() const { return m_collection; }

    // The second client: curl, with the HTTP status on its last line.
    [[nodiscard]] std::string Curl(const std::string& args) const {
        const std::string out = (m_dir / "curl.out").string();
        const std::string auth =
            (m_kind == ServerKind::XandikosDigest ? std::string("--digest ") : std::string()) +
            (NeedsPassword() ? std::string("-u ") + kUser + ":" + kPassword + " " : "");
        const std::string cmd = "curl -s -w '\\n%{http_code}' " + auth + args + " >" + out;
        if (std::system(cmd.c_str()) != 0) return {};
        std::ifstream in(out, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Puts a card (a file of vCard text) under a name in the address book; whether the server
    // took it.
    bool PutCard(const std::string& name, const std::string& text) const {
        const auto file = m_dir / "card.vcf";
        std::ofstream(file, std::ios::binary) << text;
        const std::string r = Curl("-X PUT -H 'Content-Type: text/vcard' --data-binary @" +
                                   file.string() + " " + CollectionUrl() + name);
        const int status = std::atoi(r.substr(r.rfind('\n') + 1).c_str());
        return status >= 200 && status < 300;
    }
    [[nodiscard]] std::string GetCard(const std::string& href) const {
        const std::string r = Curl("http://127.0.0.1:" + std::to_string(m_port) + href);
        return r.substr(0, r.rfind('\n'));
    }
    int DeleteCard(const std::string& href) const {
        const std::string r = Curl("-X DELETE http://127.0.0.1:" + std::to_string(m_port) + href);
        return std::atoi(r.substr(r.rfind('\n') + 1).c_str());
    }
    // The hrefs of the cards in the address book.
    [[nodiscard]] std::vector<std::string> Cards() const {
        const std::string r = Curl(
            "-X PROPFIND -H 'Depth: 1' -H 'Content-Type: application/xml' --data '<propfind "
            "xmlns=\"DAV:\"><prop><getetag/></prop>"
            "</propfind>' " +
            CollectionUrl());
        std::vector<std::string> out;
        for (std::size_t at = r.find("href>"); at != std::string::npos;
             at = r.find("href>", at + 1)) {
            const std::size_t end = r.find('<', at);
            const std::string href = r.substr(at + 5, end - at - 5);
            if (!href.empty() && href.back() != '/' && href.find(".vcf") != std::string::npos) {
                out.push_back(href);
            }
            at = end;
        }
        return out;
    }

    // A card's lines, unfolded and sorted, names in upper case: servers store a card in their
    // own order, folding and letter case of names.
    static std::vector<std::string> Lines(const std::string& card) {
        std::vector<std::string> lines;
        std::size_t at = 0;
        while (at < card.size()) {
            std::size_t end = card.find('\n', at);
            if (end == std::string::npos) end = card.size();
            std::string line = card.substr(at, end - at);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty() && (line[0] == ' ' || line[0] == '\t') && !lines.empty()) {
                lines.back() += line.substr(1);
            } else if (!line.empty()) {
                lines.push_back(line);
            }
            at = end + 1;
        }
        for (std::string& line : lines) {
            for (std::size_t i = 0; i < line.size() && line[i] != ':'; ++i)
                line[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(line[i])));
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    }

private:
    ServerKind m_kind;
    std::filesystem::path m_dir;
    bool m_tls = false;
    std::string m_collection;
    int m_port = 0;
    pid_t m_pid = -1;
};

}  // namespace numora::test
