// The application profile: an INI file in the user's configuration folder, its settings in
// named sections ("Port Setting"/"DS Com Port", ...).
#pragma once

#include <QSettings>

#include "link/Profile.h"

namespace numora {

inline constexpr const char* kProfileOrganisation = "Local AppWizard-Generated Applications";
inline constexpr const char* kProfileApplication = "KXT-5507 Phone Book";

class QtProfile : public Profile {
public:
    // The user's profile; or, for tests and tools, the INI file at path.
    QtProfile();
    explicit QtProfile(const QString& path);

    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view fallback) const override;
    void SetString(std::string_view section, std::string_view key, std::string_view value) override;
    // Where the settings live, for telling the user where to change one by hand.
    QString FileName() const { return m_settings.fileName(); }

private:
    mutable QSettings m_settings;
};

// Passes everything through but the remembered port, which it never writes: when the user names
// the device, the port numbers the search walks mean nothing outside this run.
class ProfileWithoutPortSave : public Profile {
public:
    explicit ProfileWithoutPortSave(Profile& inner) : m_inner(inner) {}
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view fallback) const override {
        return m_inner.GetString(section, key, fallback);
    }
    void SetString(std::string_view section, std::string_view key,
                   std::string_view value) override {
        if (section == kPortSection && key == kPortKey) return;
        m_inner.SetString(section, key, value);
    }

private:
    Profile& m_inner;
};

}  // namespace numora
