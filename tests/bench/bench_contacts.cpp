// Contacts from other programs: a large address book's vCard export, and a CSV whose header is
// very wide. Both must grow with the text, and the 10,000 contacts of a full phone export must
// import in well under a second.
#include <benchmark/benchmark.h>

#include <string>

#include "formats/BookFormats.h"
#include "text/QtCharsets.h"

namespace {

using namespace numora;

// About 500 bytes a card, as phones and mail clients export them: numbers in international and
// national form, an address, a quoted-printable note, a photo link, vendor properties.
std::string AddressBookExport(int cards) {
    std::string out;
    for (int k = 0; k < cards; ++k) {
        const std::string n = std::to_string(k);
        out += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Nachname" + n + ";Vorname;Maria;Dr.;\r\n" +
               "FN:Dr. Vorname Maria Nachname" + n + "\r\n" + "TEL;TYPE=CELL,PREF:+49 170 " +
               std::to_string(1000000 + k) + "\r\n" + "TEL;TYPE=HOME:(030) " +
               std::to_string(2000000 + k) + "\r\n" + "TEL;TYPE=WORK:+1-418-656-9254;ext=" + n +
               "\r\n" + "EMAIL;TYPE=INTERNET,PREF:person" + n + "@example.org\r\n" +
               "ADR;TYPE=HOME:;;Hauptstra\xC3\x9F"
               "e " +
               n + ";Berlin;;10115;Deutschland\r\n" +
               "NOTE;CHARSET=windows-1252;ENCODING=QUOTED-PRINTABLE:Kunde seit 2001=0D=0A=\r\n"
               "M=FCller sagt hallo\r\n"
               "ORG:Beispiel GmbH;Vertrieb\r\nBDAY:1970-01-01\r\nCATEGORIES:Kunden,Berlin\r\n"
               "item1.X-ABRELATEDNAMES:Partner " +
               n +
               "\r\nitem1.X-ABLabel:_$!<Spouse>!$_\r\n"
               "PHOTO;VALUE=uri:https://example.org/photos/" +
               n +
               ".jpg\r\n"
               "UID:" +
               n + "-uid\r\nREV:2024-01-01T00:00:00Z\r\nEND:VCARD\r\n";
    }
    return out;
}

void BM_ImportAddressBookExport(benchmark::State& state) {
    const std::string file = AddressBookExport(static_cast<int>(state.range(0)));
    const QtCharsets charsets;
    for (auto _ : state) {
        PhoneBook book;
        const TextImport r = BookFromText(BookFormat::VCard, file, book,
                                          ContactsOptions{PhoneNumbers("DE"), &charsets});
        if (!r.ok) state.SkipWithError("not imported");
        benchmark::DoNotOptimize(book.CountUsedEntries());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
    state.counters["file_mb"] = static_cast<double>(file.size()) / (1 << 20);
}
BENCHMARK(BM_ImportAddressBookExport)->Arg(10000)->Unit(benchmark::kMillisecond);

// A header of 300,000 columns (about 2 MB): each heading is looked up once.
void BM_ImportWideCsvHeader(benchmark::State& state) {
    std::string file;
    for (int64_t k = 0; k < state.range(0); ++k)
        file += "Column " + std::to_string(k) + ",";
    file += "Name,Mobile\r\n";
    for (int64_t k = 0; k < state.range(0); ++k)
        file += ',';
    file += "Ann,0123\r\n";
    for (auto _ : state) {
        PhoneBook book;
        benchmark::DoNotOptimize(BookFromText(BookFormat::Csv, file, book));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_ImportWideCsvHeader)->Arg(300000)->Unit(benchmark::kMillisecond);

}  // namespace
