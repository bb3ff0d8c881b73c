// A timed run of numora-cli sync against Radicale on this machine: an address book of 400
// contacts (photos, addresses, seven numbers, names over 16 characters, international numbers)
// and a handset book of 120 entries, 80 of them the same people. Prints the wall time and the
// requests of the first sync, of a sync where nothing changed, and of one with a card changed.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "book/PbFile.h"
#include "support/BookBuilder.h"
#include "support/DavServers.h"

namespace {

using namespace numora;
namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int Requests(const std::string& trace) {
    int n = 0;
    for (const char* verb : {"\nPROPFIND ", "\nREPORT ", "\nPUT ", "\nDELETE "}) {
        for (std::size_t at = ("\n" + trace).find(verb); at != std::string::npos;
             at = ("\n" + trace).find(verb, at + 1)) {
            ++n;
        }
    }
    return n;
}

std::string Mobile(int i) {
    return "0170" + std::to_string(1000000 + i);
}

// "Person 0007 Longname-Family": the handset holds its first 16 characters.
std::string NameOf(int i) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04d", i);
    return std::string("Person ") + digits + " Longname-Family";
}

std::string CardOf(int i) {
    std::string c = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:bench-" + std::to_string(i) + "\r\n";
    c += "FN:" + NameOf(i) + "\r\n";
    c += "N:Longname-Family;" + NameOf(i).substr(0, 11) + ";;;\r\n";
    c += "TEL;TYPE=CELL:" + Mobile(i) + "\r\n";
    c += "TEL;TYPE=HOME:+49 89 " + std::to_string(2000000 + i) + "\r\n";
    for (int k = 0; k < 5; ++k)
        c += "TEL;TYPE=WORK:089 55" + std::to_string(k) + std::to_string(i) + "\r\n";
    c += "EMAIL;TYPE=INTERNET:contact" + std::to_string(i) + "@example.org\r\n";
    c += "ADR;TYPE=HOME:;;Hauptstr. " + std::to_string(i) + ";München;;80331;Germany\r\n";
    if (i % 4 == 0) {
        c += "PHOTO;ENCODING=b;TYPE=JPEG:";
        for (int k = 0; k < 40; ++k)
            c += "\r\n /9j/4AAQSkZJRgABAQEASABIAAD/2wBDAAMCAgICAgMCAgIDAwMDBAYEBAQEBAgGBgUGCQgKC";
        c += "\r\n";
    }
    return c + "END:VCARD\r\n";
}

double Run(const std::string& cmd, const fs::path& dir, std::string& trace, int& status) {
    const auto start = std::chrono::steady_clock::now();
    const std::string full =
        cmd + " >" + (dir / "out.txt").string() + " 2>" + (dir / "err.txt").string();
    status = WEXITSTATUS(std::system(full.c_str()));
    const auto end = std::chrono::steady_clock::now();
    trace = Slurp(dir / "err.txt");
    return std::chrono::duration<double>(end - start).count();
}

}  // namespace

int main() {
    const fs::path dir =
        fs::temp_directory_path() / ("numora-dav-bench-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    setenv("NUMORA_CARDDAV_PASSWORD", test::DavServer::kPassword, 1);
    int status = 0;
    {
        test::DavServer server(test::ServerKind::Radicale, dir / "server");
        if (!server.Up()) {
            std::fprintf(stderr, "radicale did not start\n");
            return 1;
        }
        // The cards go straight into the server's storage, as if another client had put them.
        const fs::path collection =
            dir / "server/collections/collection-root" / test::DavServer::kUser / "contacts";
        for (int i = 0; i < 400; ++i)
            std::ofstream(collection / ("bench-" + std::to_string(i) + ".vcf"), std::ios::binary)
                << CardOf(i);
        // The server indexes the cards once (their ETags, the collection's sync token), as it
        // would have when they were put one by one: its first look at files put behind its back
        // is not the sync's time.
        (void)server.Curl(
            "-X PROPFIND -H 'Depth: 1' -H 'Content-Type: application/xml' --data '<propfind "
            "xmlns=\"DAV:\"><prop><getetag/><sync-token/><getctag "
            "xmlns=\"http://calendarserver.org/ns/\"/></prop></propfind>' " +
            server.Root() + test::DavServer::kUser + "/");
        (void)server.Cards();
        PhoneBook book;
        for (int i = 0; i < 120; ++i) {
            // 80 of them are people of the address book, 40 are only on the handset.
            const bool same = i < 80;
            test::AddEntry(book, i,
                           same ? NameOf(i * 5).substr(0, 16) : "Handset " + std::to_string(i),
                           kEtcGroup, same ? Mobile(i * 5) : "0301" + std::to_string(i));
        }
        std::vector<uint8_t> bytes;
        WritePbRecords(book, bytes, nullptr);
        std::ofstream(dir / "book.pb", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));

        const std::string cmd = std::string(NUMORA_CLI) + " sync " + (dir / "book.pb").string() +
                                " --server " + server.Root() + " --user alice --trace";
        std::string trace;
        const double first = Run(cmd, dir, trace, status);
        if (getenv("NUMORA_BENCH_TRACE") != nullptr) std::fputs(trace.c_str(), stderr);
        std::printf("entries on the handset after the first sync: %d\n", [&] {
            PhoneBook synced;
            const std::string b = Slurp(dir / "book.pb");
            ReadPbRecords(synced, std::span(reinterpret_cast<const uint8_t*>(b.data()), b.size()),
                          nullptr);
            return synced.CountUsedEntries();
        }());
        std::printf("first sync of 400 cards and 120 entries: %.2f s, %d requests (exit %d)\n",
                    first, Requests(trace), status);
        const double again = Run(cmd, dir, trace, status);
        if (getenv("NUMORA_BENCH_TRACE") != nullptr)
            std::fputs(("[unchanged]\n" + trace).c_str(), stderr);
        std::printf("sync with nothing changed:               %.3f s, %d requests (exit %d)\n",
                    again, Requests(trace), status);
        std::string changed = CardOf(7);
        changed.insert(changed.find("END:VCARD"), "NOTE:changed\r\n");
        server.PutCard("bench-7.vcf", changed);
        const double one = Run(cmd, dir, trace, status);
        std::printf("sync with one card changed:              %.3f s, %d requests (exit %d)\n", one,
                    Requests(trace), status);
        std::printf("cards on the server: %zu\n", server.Cards().size());
    }
    fs::remove_all(dir);
    return status;
}
