// Windows only. The handset's USB modem driver announces a device interface of its own; the COM
// port of each present device is the "AttachedTo" value of the modem class key whose
// "FriendlyName" is the device's.
#include <windows.h>
// windows.h first: setupapi.h needs its types.
#include <setupapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "link/HandsetPorts.h"

namespace numora {

namespace {

constexpr GUID kHandsetInterface = {
    0xF8A8B3EE, 0xC192, 0x4EAA, {0xA9, 0x53, 0xA7, 0xA2, 0x1E, 0xCD, 0x8B, 0x64}};
constexpr DWORD kMaxInterfaces = 256;
constexpr int kMaxClassKeys = 512;
constexpr DWORD kPropertyBytes = 256;

// A string value of an open key, read in two steps (size, then data); empty when unreadable.
std::string RegistryString(HKEY key, const char* name) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ || size == 0) {
        return {};
    }
    std::vector<char> data(size + 1, '\0');
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    return std::string(data.data());
}

// The port ("COM4") attached to the device of that friendly name under the class's keys
// 0000, 0001, ...; empty when none is.
std::string FindAttachedPort(const std::string& classGuid, const std::string& friendlyName) {
    for (int k = 0; k < kMaxClassKeys; ++k) {
        char path[128];
        std::snprintf(path, sizeof path, "SYSTEM\\CurrentControlSet\\Control\\Class\\%s\\%.4d",
                      classGuid.c_str(), k);
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) break;
        std::string port;
        if (RegistryString(key, "FriendlyName") == friendlyName)
            port = RegistryString(key, "AttachedTo");
        RegCloseKey(key);
        if (!port.empty()) return port;
    }
    return {};
}

std::string DeviceProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    char buffer[kPropertyBytes] = {};
    if (!SetupDiGetDeviceRegistryPropertyA(set, &device, property, nullptr,
                                           reinterpret_cast<BYTE*>(buffer), sizeof buffer - 1,
                                           nullptr)) {
        return {};
    }
    return std::string(buffer);
}

// "COMn" opened as the serial port opens it, closed at once; marks n when it opens.
void TestOpen(const std::string& port, PortTable& table) {
    if (port.size() <= 3) return;
    int n = 0;
    for (std::size_t i = 3; i < port.size(); ++i) {
        if (port[i] < '0' || port[i] > '9' || n >= kMaxPortTable) return;
        n = n * 10 + (port[i] - '0');
    }
    if (n >= kMaxPortTable) return;
    const std::string device = n > 9 ? "\\\\.\\" + port : port;
    HANDLE h = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    CloseHandle(h);
    table[static_cast<std::size_t>(n)] = true;
}

}  // namespace

PortTable DiscoverRegisteredHandsetPorts() {
    PortTable table{};
    HDEVINFO set = SetupDiGetClassDevsA(&kHandsetInterface, nullptr, nullptr,
                                        DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return table;
    for (DWORD i = 0; i < kMaxInterfaces; ++i) {
        SP_DEVICE_INTERFACE_DATA iface{};
        iface.cbSize = sizeof iface;
        if (!SetupDiEnumDeviceInterfaces(set, nullptr, &kHandsetInterface, i, &iface)) break;
        DWORD needed = 0;
        SetupDiGetDeviceInterfaceDetailA(set, &iface, nullptr, 0, &needed, nullptr);
        if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) break;
        std::vector<char> detailBytes(needed);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(detailBytes.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (!SetupDiGetDeviceInterfaceDetailA(set, &iface, detail, needed, nullptr, &device)) break;
        const std::string classGuid = DeviceProperty(set, device, SPDRP_CLASSGUID);
        if (classGuid.empty()) break;
        // Without a name of its own the device would match any key whose name is unreadable.
        const std::string friendlyName = DeviceProperty(set, device, SPDRP_FRIENDLYNAME);
        if (friendlyName.empty()) continue;
        const std::string port = FindAttachedPort(classGuid, friendlyName);
        if (!port.empty()) TestOpen(port, table);
    }
    SetupDiDestroyDeviceInfoList(set);
    return table;
}

}  // namespace numora
