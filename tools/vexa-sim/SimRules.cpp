#include "SimRules.h"

#include <charconv>

namespace {

std::optional<int> ParseCount(const std::string& text, int min)
{
    int value = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || p != end || value < min)
        return std::nullopt;
    return value;
}

std::vector<std::string> Split(const std::string& text, char sep)
{
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        const auto at = text.find(sep, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos)
            return parts;
        start = at + 1;
    }
}

} // namespace

std::optional<std::uint8_t> ParseHexByte(const std::string& text)
{
    std::string digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits = digits.substr(2);
    if (digits.empty() || digits.size() > 2)
        return std::nullopt;
    unsigned value = 0;
    const char* end = digits.data() + digits.size();
    auto [p, ec] = std::from_chars(digits.data(), end, value, 16);
    if (ec != std::errc() || p != end)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

std::optional<FaultRule> ParseFaultRule(FaultKind kind, const std::string& text, std::string& error)
{
    FaultRule rule;
    rule.kind = kind;
    std::string target = text;

    if (kind == FaultKind::Status) {
        const auto eq = text.find('=');
        if (eq == std::string::npos) {
            error = "expected CMD=S[:N], got '" + text + "'";
            return std::nullopt;
        }
        target = text.substr(0, eq);
        const std::vector<std::string> rhs = Split(text.substr(eq + 1), ':');
        const auto status = ParseHexByte(rhs[0]);
        if (!status || rhs.size() > 2) {
            error = "expected CMD=S[:N] with S a hexadecimal byte, got '" + text + "'";
            return std::nullopt;
        }
        rule.value = *status;
        if (rhs.size() == 2) {
            const auto n = ParseCount(rhs[1], 1);
            if (!n) {
                error = "request number must be 1 or more in '" + text + "'";
                return std::nullopt;
            }
            rule.nth = *n;
        }
        const auto command = ParseHexByte(target);
        if (!command) {
            error = "command must be a hexadecimal byte in '" + text + "'";
            return std::nullopt;
        }
        rule.command = *command;
        return rule;
    }

    std::vector<std::string> fields = Split(target, ':');
    if (kind == FaultKind::Stall || kind == FaultKind::Flood) {
        if (fields.size() < 2 || fields.size() > 3) {
            error = "expected CMD[:N]:K, got '" + text + "'";
            return std::nullopt;
        }
        const auto k = ParseCount(fields.back(), 0);
        if (!k) {
            error = "byte count K must be 0 or more in '" + text + "'";
            return std::nullopt;
        }
        rule.value = *k;
        fields.pop_back();
    } else if (fields.size() > 2) {
        error = "expected CMD[:N], got '" + text + "'";
        return std::nullopt;
    }

    const auto command = ParseHexByte(fields[0]);
    if (!command) {
        error = "command must be a hexadecimal byte in '" + text + "'";
        return std::nullopt;
    }
    rule.command = *command;
    if (fields.size() == 2) {
        const auto n = ParseCount(fields[1], 1);
        if (!n) {
            error = "request number must be 1 or more in '" + text + "'";
            return std::nullopt;
        }
        rule.nth = *n;
    }
    return rule;
}

const FaultRule* FindRule(const std::vector<FaultRule>& rules, FaultKind kind, std::uint8_t command, int n)
{
    for (const FaultRule& r : rules) {
        if (r.kind == kind && r.command == command && (r.nth == 0 || r.nth == n))
            return &r;
    }
    return nullptr;
}
