// RegValue: display text of decoded value data, deletion of the value; and the value decoding and
// deletion RegKey shares with it.
#include "registry/reg_value.h"

#include <cstdio>
#include <string>

#include "base/registry_error.h"
#include "registry/registry_access.h"

namespace lumo {

namespace registry_access {

RegData ParseValueData(const std::vector<uint8_t>& buffer, int32_t type) {
    try {
        // Bytes up to the first zero byte; a first byte of zero makes the empty string.
        size_t end = 0;
        if (!buffer.empty() && buffer[0] != 0) {
            end = 1;
            while (end < buffer.size() && buffer[end] != 0)
                ++end;
        }
        switch (type) {
        case rvtString:
        case rvtExpandString:
            return std::string(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(end));
        case rvtDWord: {
            // Bytes 0..3 of the whole buffer, little-endian and unsigned; a buffer shorter than
            // four bytes (a malformed value) reads as if zero-padded.
            uint32_t n = 0;
            for (size_t i = 0; i < 4 && i < buffer.size(); ++i)
                n |= static_cast<uint32_t>(buffer[i]) << (8 * i);
            return n;
        }
        default:
            if (end == 0)
                return std::string();
            return std::vector<uint8_t>(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(end));
        }
    } catch (const RegistryError& e) {
        throw RegistryError(e.Number, e.Source, "parseValueData failed!\r\n" + e.Description, e.SystemError);
    } catch (const std::exception& e) {
        throw RegistryError(kErrorNumber, "RegKey", std::string("parseValueData failed!\r\n") + e.what());
    }
}

bool DeleteValue(RegistryApi& api, int32_t rootKey, std::string_view keyPath, std::string_view valueName) {
    KeyHandle key(api);
    if (int32_t opened = api.OpenKey(RootHandle(rootKey), keyPath, keySetValue, key.Out()); opened != regOk) {
        key.Close();
        throw RegistryError(kErrorNumber, std::string(kValueSource), "\r\n * " + std::string(kQueryValueFailed),
                            opened);
    }
    int32_t rc = api.DeleteValue(key.get(), valueName);
    key.Close();
    // A value that is already gone counts as deleted; any other refusal is a failure, never a
    // reported success.
    if (rc != regOk && rc != regFileNotFound)
        throw RegistryError(kErrorNumber, std::string(kValueSource),
                            "\r\n * Delete RegValue failed! rc = " + std::to_string(rc), rc);
    return true;
}

}  // namespace registry_access

int32_t RegValue::Init(int32_t rktRootKey, std::string_view sKeyPath, std::string_view sValueName, int32_t rvtValueType,
                       RegData vValueData) {
    try {
        RootKey = rktRootKey;
        KeyPath = std::string(sKeyPath);
        ValueName = std::string(sValueName);
        ValueType = rvtValueType;
        ValueData = std::move(vValueData);
        return 0;
    } catch (const std::exception&) {
        return -1;
    }
}

namespace {

std::string BytesOf(const RegData& data) {
    if (auto s = std::get_if<std::string>(&data))
        return *s;
    if (auto b = std::get_if<std::vector<uint8_t>>(&data))
        return std::string(b->begin(), b->end());
    return std::to_string(std::get<uint32_t>(data));
}

uint32_t NumberOf(const RegData& data) {
    if (auto n = std::get_if<uint32_t>(&data))
        return *n;
    if (auto s = std::get_if<std::string>(&data))
        return static_cast<uint32_t>(std::strtoul(s->c_str(), nullptr, 10));
    return 0;
}

}  // namespace

std::string RegValue::ValueDataString() const {
    switch (ValueType) {
    case rvtString:
        return BytesOf(ValueData);
    case rvtBinary: {
        static const char kHex[] = "0123456789abcdef";
        std::string bytes = BytesOf(ValueData);
        std::string out;
        out.reserve(bytes.size() * 3);
        for (unsigned char b : bytes) {
            if (!out.empty())
                out.push_back(' ');
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 15]);
        }
        return out;
    }
    case rvtDWord: {
        uint32_t n = NumberOf(ValueData);
        char text[32];
        std::snprintf(text, sizeof text, "0x%08x (%u)", static_cast<unsigned>(n), static_cast<unsigned>(n));
        return text;
    }
    default:
        return {};
    }
}

bool RegValue::Delete() { return registry_access::DeleteValue(*api_, RootKey, KeyPath, ValueName); }

}  // namespace lumo
