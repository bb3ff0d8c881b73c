// The application profile: small named settings in sections, kept between runs. The window and
// the command-line tool keep it in the user's configuration folder.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace numora {

inline constexpr std::string_view kPortSection = "Port Setting";
inline constexpr std::string_view kPortKey = "DS Com Port";
inline constexpr std::string_view kPortDefault = "2";

class Profile {
public:
    virtual ~Profile() = default;
    virtual std::string GetString(std::string_view section, std::string_view key,
                                  std::string_view fallback) const = 0;
    virtual void SetString(std::string_view section, std::string_view key,
                           std::string_view value) = 0;
};

// A profile that lives only as long as the object, for tests and one-off runs.
class MemoryProfile : public Profile {
public:
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view fallback) const override {
        const auto it = m_values.find(std::string(section) + '\n' + std::string(key));
        return it == m_values.end() ? std::string(fallback) : it->second;
    }
    void SetString(std::string_view section, std::string_view key,
                   std::string_view value) override {
        m_values[std::string(section) + '\n' + std::string(key)] = std::string(value);
    }

private:
    std::map<std::string, std::string> m_values;
};

}  // namespace numora
