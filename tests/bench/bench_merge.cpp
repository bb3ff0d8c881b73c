// Merging 10,000 contacts into a full book (300 entries): a tenth of them are people of the book
// written another way, the rest do not fit. It must take well under a second.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "formats/ContactFiles.h"
#include "formats/VCard.h"
#include "matching/MergePlan.h"

namespace {

using namespace numora;

constexpr int kContacts = 10000;

std::string Mobile(int person) {
    return "0170" + std::to_string(1000000 + person * 7);
}

PhoneBook FullBook() {
    PhoneBook book;
    for (int i = 0; i < kEntrySlots; ++i) {
        PBEntry e;
        e.index = static_cast<uint16_t>(i);
        e.group = kEtcGroup;
        SetText(e.name, "Person " + std::to_string(i));
        SetNumber(e.numbers[0], Mobile(i));
        SetNumber(e.numbers[1], "030" + std::to_string(2000000 + i));
        SetText(e.email, "person" + std::to_string(i) + "@example.org");
        book.SetEntry(e);
    }
    return book;
}

// Written as address books write them: international, spaced, national.
std::vector<Contact> ManyContacts() {
    std::vector<Contact> out;
    for (int k = 0; k < kContacts; ++k) {
        Contact c;
        c.source = k + 1;
        const int person = k % 10 == 0 ? (k / 10) % kEntrySlots : kEntrySlots + k;
        c.name =
            k % 3 == 0 ? "Person " + std::to_string(person) : std::to_string(person) + ", Person";
        const std::string mobile = Mobile(person);
        c.numbers[0] = k % 2 == 0 ? "+49 " + mobile.substr(1, 3) + " " + mobile.substr(4) : mobile;
        c.numbers[2] = "+49 (40) " + std::to_string(3000000 + k);
        c.email = "Person" + std::to_string(person) + "@Example.org";
        out.push_back(std::move(c));
    }
    return out;
}

void BM_MergeContactsIntoFullBook(benchmark::State& state) {
    const PhoneBook full = FullBook();
    const std::vector<Contact> contacts = ManyContacts();
    for (auto _ : state) {
        PhoneBook book = full;
        NumberKeys keys{PhoneNumbers("DE")};
        const MergePlan plan = PlanMerge(book, contacts, keys);
        ApplyMergePlan(plan, book);
        benchmark::DoNotOptimize(plan.merged.size());
        if (plan.merged.size() != kContacts / 10) state.SkipWithError("people not found");
    }
    state.SetItemsProcessed(state.iterations() * kContacts);
}
BENCHMARK(BM_MergeContactsIntoFullBook)->Unit(benchmark::kMillisecond);

// The same from the file: the vCard read, then merged.
void BM_MergeVCardFileIntoFullBook(benchmark::State& state) {
    const PhoneBook full = FullBook();
    const std::string cards = ContactsToVCard(ManyContacts());
    for (auto _ : state) {
        PhoneBook book = full;
        NumberKeys keys{PhoneNumbers("DE")};
        const ContactsOfFile read = ContactsFromFile(BookFormat::VCard, cards, BuiltinCharsets());
        const MergePlan plan = PlanMerge(book, read.contacts, keys);
        ApplyMergePlan(plan, book);
        benchmark::DoNotOptimize(plan.merged.size());
    }
    state.SetItemsProcessed(state.iterations() * kContacts);
}
BENCHMARK(BM_MergeVCardFileIntoFullBook)->Unit(benchmark::kMillisecond);

// Find Duplicates on a full book where every person is there twice.
void BM_FindDuplicatesInFullBook(benchmark::State& state) {
    PhoneBook book = FullBook();
    for (int i = kEntrySlots / 2; i < kEntrySlots; ++i) {
        PBEntry e = book.Entry(i - kEntrySlots / 2);
        e.index = static_cast<uint16_t>(i);
        SetNumber(e.numbers[1], "");
        book.SetEntry(e);
    }
    for (auto _ : state) {
        NumberKeys keys{PhoneNumbers("DE")};
        benchmark::DoNotOptimize(PlanDuplicates(book, keys).merged.size());
    }
}
BENCHMARK(BM_FindDuplicatesInFullBook)->Unit(benchmark::kMillisecond);

}  // namespace
