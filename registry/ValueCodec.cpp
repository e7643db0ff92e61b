#include "registry/ValueCodec.h"

#include <algorithm>

std::string_view typeName(std::int32_t valueType) {
    for (const TypeName& entry : typeNames)
        if (entry.code == valueType)
            return entry.name;
    return "REG_SZ";
}

std::string_view rootShortName(std::int32_t keyClass) {
    for (const RootName& entry : rootNames)
        if (entry.keyClass == keyClass)
            return entry.shortName;
    return {};
}

Variant decodeValueData(std::int32_t typeCode, std::span<const std::uint8_t> data,
                        std::size_t reportedSize) {
    switch (typeCode) {
    case ValueTypeCode::String:
    case ValueTypeCode::ExpandString:
    case ValueTypeCode::MultiString: {
        const std::size_t size = std::min(data.size(), reportedSize);
        if (size == 0)
            return std::string();
        return std::string(reinterpret_cast<const char*>(data.data()), size - 1);
    }
    case ValueTypeCode::Dword:
    case ValueTypeCode::DwordBigEndian: {
        std::uint32_t number = 0;
        const std::size_t count = std::min<std::size_t>(data.size(), 4);
        for (std::size_t i = 0; i < count; ++i)
            number |= static_cast<std::uint32_t>(data[i]) << (8 * i);
        return static_cast<std::int32_t>(number);
    }
    default: {
        ByteArray bytes;
        bytes.elements.assign(data.begin(), data.end());
        bytes.elements.push_back(0);
        return bytes;
    }
    }
}

std::int32_t reverseByteOrder(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return static_cast<std::int32_t>((bits >> 24) | ((bits >> 8) & 0x0000FF00u) |
                                     ((bits << 8) & 0x00FF0000u) | (bits << 24));
}

std::int32_t textStorageType(std::string_view text) {
    const std::size_t first = text.find('%');
    if (first != std::string_view::npos && text.find('%', first + 2) != std::string_view::npos)
        return ValueTypeCode::ExpandString;
    return ValueTypeCode::String;
}

std::string errorSource(std::string_view modulePath) {
    const std::size_t separator = modulePath.find_last_of("\\/");
    std::string_view name =
        separator == std::string_view::npos ? modulePath : modulePath.substr(separator + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos)
        name = name.substr(0, dot);
    return std::string(name) + ".Registry";
}

std::string describeCreateKeyFailure(std::string_view keyName) {
    return "Failed to create registry Key: '" + std::string(keyName);
}

std::string describeOpenForDeleteFailure(std::int32_t keyClass, std::string_view keyName) {
    return "Failed to open key '" + std::to_string(keyClass) + "',Section: '" +
           std::string(keyName) + "' for delete access";
}

std::string describeDeleteValueFailure(std::int32_t keyClass, std::string_view keyName,
                                       std::string_view valueName) {
    return "Failed to delete registry Key: '" + std::to_string(keyClass) + "',Section: '" +
           std::string(keyName) + "',Key: '" + std::string(valueName);
}

std::string describeSetValueFailure(std::int32_t keyClass, std::string_view keyName,
                                    std::string_view valueName, std::string_view valueText) {
    return "Failed to set registry ValueData Key: '" + std::to_string(keyClass) + "',Section: '" +
           std::string(keyName) + "',Key: '" + std::string(valueName) + "' to ValueData: '" +
           std::string(valueText) + "'";
}
