#include "SimJournal.h"

#include <cerrno>
#include <cstring>

namespace {

std::string Quote(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string HexByte(std::uint8_t b) { return SimHex(std::span<const std::uint8_t>(&b, 1)); }

} // namespace

std::string SimHex(std::span<const std::uint8_t> bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 0x0F];
    }
    return out;
}

SimJournal::SimJournal() : start_(std::chrono::steady_clock::now()) {}

SimJournal::~SimJournal()
{
    if (file_)
        std::fclose(file_);
}

bool SimJournal::Open(const std::string& path, std::string& error)
{
    file_ = std::fopen(path.c_str(), "w");
    if (!file_) {
        error = "cannot write journal " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void SimJournal::Line(const std::string& fields)
{
    if (!file_)
        return;
    const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    std::fprintf(file_, "{\"t\":%.6f,%s}\n", t, fields.c_str());
    std::fflush(file_);
}

void SimJournal::Request(std::uint8_t command, std::span<const std::uint8_t> data)
{
    Line("\"dir\":\"rx\",\"cmd\":\"" + HexByte(command) + "\",\"data\":\"" + SimHex(data) + "\"");
}

void SimJournal::BadRequest(const std::string& error, std::span<const std::uint8_t> raw)
{
    const bool numeric = !error.empty() && (error[0] == '-' || (error[0] >= '0' && error[0] <= '9'));
    Line("\"dir\":\"rx\",\"error\":" + (numeric ? error : Quote(error)) + ",\"raw\":\"" + SimHex(raw) + "\"");
}

void SimJournal::Answer(std::uint8_t command, const SimReply& reply, std::size_t sent)
{
    std::string fields = "\"dir\":\"tx\",\"cmd\":\"" + HexByte(command) + "\",\"status\":\"" + HexByte(reply.status) +
                         "\",\"data\":\"" + (reply.fault == "silent" ? std::string() : SimHex(reply.data)) +
                         "\",\"sent\":" + std::to_string(sent);
    if (!reply.fault.empty())
        fields += ",\"fault\":" + Quote(reply.fault);
    Line(fields);
}

void SimJournal::State(const std::string& event, const std::string& path)
{
    std::string fields = "\"dir\":\"state\",\"event\":" + Quote(event);
    if (!path.empty())
        fields += ",\"path\":" + Quote(path);
    Line(fields);
}
