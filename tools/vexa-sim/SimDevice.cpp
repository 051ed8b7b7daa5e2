#include "SimDevice.h"

#include "uArdoVexaMess.h"

#include <algorithm>

const std::vector<std::uint8_t> kSimNoise = {0xFF, 0x00, 0x55, 0xAA, 0x03, 0x61, 0x7E};

SimDevice::SimDevice(SimConfig config) : config_(std::move(config))
{
    config_.block = std::clamp<std::size_t>(config_.block, 1, 0xFFFE);
}

SimReply SimDevice::Answer(std::uint8_t command)
{
    SimReply r;
    auto values = [&] {
        r.data = {static_cast<std::uint8_t>(config_.value1 >> 8), static_cast<std::uint8_t>(config_.value1 & 0xFF),
                  static_cast<std::uint8_t>(config_.value2 >> 8), static_cast<std::uint8_t>(config_.value2 & 0xFF)};
    };
    switch (command) {
    case 0x67:
    case 0x70:
        values();
        break;
    case 0x71:
    case 0x72:
        break;
    case 0x80:
        position_ = 0;
        values();
        break;
    case 0x81: {
        const std::size_t size = deleted_ ? 0 : config_.data.size();
        if (position_ >= size && config_.endless && !deleted_) {
            r.data.assign(config_.block, 0x00);
            position_ += config_.block;
            break;
        }
        if (position_ >= size) {
            r.status = 0x83;
            break;
        }
        const std::size_t n = std::min(config_.block, size - position_);
        const auto first = config_.data.begin() + static_cast<std::ptrdiff_t>(position_);
        r.data.assign(first, first + static_cast<std::ptrdiff_t>(n));
        position_ += n;
        break;
    }
    case 0x83:
        deleted_ = true;
        position_ = 0;
        r.events.push_back("deleted");
        break;
    case 0x84:
        r.events.push_back("kept");
        break;
    default:
        r.status = 0xFF;
        break;
    }
    return r;
}

SimReply SimDevice::Handle(std::uint8_t command, std::span<const std::uint8_t>)
{
    const int n = ++counts_[command];
    const auto& rules = config_.rules;

    if (FindRule(rules, FaultKind::Silent, command, n)) {
        SimReply r;
        r.fault = "silent";
        return r;
    }

    SimReply r;
    if (const FaultRule* s = FindRule(rules, FaultKind::Status, command, n)) {
        r.status = static_cast<std::uint8_t>(s->value);
        r.fault = "status";
    } else if (FindRule(rules, FaultKind::Empty, command, n)) {
        r.fault = "empty";
    } else {
        r = Answer(command);
    }

    TvexaMessage frame(r.status, r.data);
    std::vector<std::uint8_t> bytes = frame.Data;
    if (FindRule(rules, FaultKind::Corrupt, command, n)) {
        bytes[bytes.size() - 2] ^= 0x5A;
        r.fault = "corrupt";
    }
    if (const FaultRule* st = FindRule(rules, FaultKind::Stall, command, n)) {
        bytes.resize(std::min(bytes.size(), static_cast<std::size_t>(st->value)));
        r.fault = "stall";
    }
    if (FindRule(rules, FaultKind::Hangup, command, n)) {
        bytes.resize(std::max<std::size_t>(1, bytes.size() / 2));
        r.fault = "hangup";
        r.hangup = true;
    }
    if (config_.noise)
        r.wire = kSimNoise;
    r.wire.insert(r.wire.end(), bytes.begin(), bytes.end());
    if (const FaultRule* f = FindRule(rules, FaultKind::Flood, command, n)) {
        r.wire.insert(r.wire.end(), static_cast<std::size_t>(f->value), 0x55);
        r.fault = "flood";
    }
    return r;
}
