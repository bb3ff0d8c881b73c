// Where the address-book sync keeps its files in the user's data folder: the state of each
// address book (`numora/addressbooks/<key>.json`) and, before a sync changes or deletes cards
// on the server, those cards as they were (`numora/history/cards/<time> <address book>.vcf`),
// so that every sync can be undone by hand; and the answers about likely pairs, which it shares
// with Merge Contacts.
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "addressbook/SyncState.h"

namespace numora {

class SyncStore {
public:
    SyncStore();  // the user's data folder
    // The answers beside the state folder.
    SyncStore(const QString& stateFolder, QString cardsFolder);
    SyncStore(QString stateFolder, QString cardsFolder, QString answersFile);

    // One state per server, user, address book and category.
    static QString KeyOf(const QString& server, const QString& user, const QString& addressBook,
                         const QString& category);

    // The state of the last sync: none (and no error) before the first; none with the reason
    // when the file cannot be read.
    std::optional<AddressBookState> Load(const QString& key, QString& error) const;
    bool Save(const QString& key, const AddressBookState& state, QString& error) const;
    // Keeps the cards (vCard text) as one file; its path, or empty with the reason.
    QString KeepCards(const QString& addressBook, const std::string& cards, QString& error) const;

    [[nodiscard]] const QString& StateFolder() const { return m_stateFolder; }
    [[nodiscard]] const QString& CardsFolder() const { return m_cardsFolder; }
    [[nodiscard]] const QString& AnswersFile() const { return m_answersFile; }
    // The window keeps its answers beside the history it uses.
    void SetAnswersFile(QString path) { m_answersFile = std::move(path); }

private:
    QString m_stateFolder;
    QString m_cardsFolder;
    QString m_answersFile;
};

}  // namespace numora
