// File "Sync with Address Book...": server, user, password (remembered in the desktop's
// keyring when asked), address book and category; "Sync" fetches and shows what would change
// on each side, contact by contact and field by field, with a choice per conflict and per
// likely pair; "Apply" changes the server and the window's book (a snapshot first). Progress
// and Cancel as every long operation has.
#pragma once

#include <QDialog>
#include <memory>

#include "addressbook/SyncPlan.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace numora {

class AddressBookSync;
class PhoneBookPage;
class QtProfile;
class DavClient;
class SyncStore;

class AddressBookSyncDialog : public QDialog {
    Q_OBJECT
public:
    AddressBookSyncDialog(PhoneBookPage& page, QtProfile& profile, QWidget* parent = nullptr);
    ~AddressBookSyncDialog() override;

    // Whether the user asked for the book to go to the phone after the sync applied.
    [[nodiscard]] bool WriteToPhoneAfter() const;

    // For tests: the fields, the buttons, the preview.
    QLineEdit* ServerField() const { return m_server; }
    QLineEdit* UserField() const { return m_user; }
    QLineEdit* PasswordField() const { return m_password; }
    QPushButton* SyncButton() const { return m_sync; }
    QPushButton* ApplyButton() const { return m_apply; }
    QTreeWidget* Preview() const { return m_preview; }
    QLabel* Status() const { return m_status; }
    QCheckBox* RememberBox() const { return m_rememberPassword; }
    QCheckBox* StartOverBox() const { return m_startOver; }

private:
    void OnSync();
    void OnApply();
    void OnCancel();
    // The plan, or after Apply what was done of it.
    void ShowPlan();
    void Busy(bool busy);
    // Keeps the settings (and the password when asked); why the password could not be kept.
    QString Remember();
    // A status text, after the word about the keyring when there is one.
    QString Said(const QString& text) const;

    PhoneBookPage& m_page;
    QtProfile& m_profile;
    std::unique_ptr<SyncStore> m_store;
    std::unique_ptr<DavClient> m_client;
    std::unique_ptr<AddressBookSync> m_run;
    QLineEdit* m_server = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QCheckBox* m_rememberPassword = nullptr;
    QComboBox* m_addressBook = nullptr;
    QLineEdit* m_category = nullptr;
    QCheckBox* m_writeAfter = nullptr;
    QCheckBox* m_allowDeletes = nullptr;
    QCheckBox* m_startOver = nullptr;
    QTreeWidget* m_preview = nullptr;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_sync = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_cancel = nullptr;
    QString m_rememberProblem;
    bool m_busy = false;
    bool m_applying = false;
};

}  // namespace numora
