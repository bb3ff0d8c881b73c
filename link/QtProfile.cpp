#include "link/QtProfile.h"

namespace numora {

namespace {

QString KeyOf(std::string_view section, std::string_view key) {
    return QString::fromLatin1(section.data(), static_cast<qsizetype>(section.size())) + '/' +
           QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size()));
}

}  // namespace

QtProfile::QtProfile()
    : m_settings(QSettings::IniFormat, QSettings::UserScope, kProfileOrganisation,
                 kProfileApplication) {}

QtProfile::QtProfile(const QString& path) : m_settings(path, QSettings::IniFormat) {}

std::string QtProfile::GetString(std::string_view section, std::string_view key,
                                 std::string_view fallback) const {
    const QVariant v = m_settings.value(KeyOf(section, key));
    if (!v.isValid()) return std::string(fallback);
    return v.toString().toStdString();
}

void QtProfile::SetString(std::string_view section, std::string_view key, std::string_view value) {
    m_settings.setValue(KeyOf(section, key),
                        QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
    m_settings.sync();
}

}  // namespace numora
