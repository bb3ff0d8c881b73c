// The address-book password in the desktop's keyring (Secret Service, KWallet, the Windows or
// macOS keychain), through QtKeychain. Only there is it kept: never in the profile, the state,
// the history, a trace or a log.
#pragma once

#include <QString>
#include <optional>

namespace numora {

// The keyring's entry for a user of a server.
QString KeyringKey(const QString& server, const QString& user);

// The stored password; none when there is none, no keyring answers within the time, or no
// desktop session is there to ask.
std::optional<QString> ReadKeyringPassword(const QString& key, int timeoutMs = 5000);
// False (with the keyring's reason) when it could not be stored.
bool StoreKeyringPassword(const QString& key, const QString& password, QString& error);
bool ForgetKeyringPassword(const QString& key);

}  // namespace numora
