#pragma once
// What a file handed to inspect or verify holds, told by its content (never
// its name), and where the image inside it starts.

#include "uCard1BFile.h"

#include <QFile>
#include <QString>
#include <QTextStream>

#include <cstdint>
#include <optional>
#include <vector>

enum class TImageKind {
    Unknown,
    DriverCard, // an image that starts with an EF header
    VuOverview, // a VU download or overview block: 76h 01h
};

struct TImage {
    TImageKind kind = TImageKind::Unknown;
    std::size_t start = 0; // first byte of the card image or of the overview's certificates
};

inline bool StartsWithCardHeader(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    if (bytes.size() < at + 5)
        return false;
    const auto fid = static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]);
    const std::uint8_t kind = bytes[at + 2];
    return T1BDriverCard::SlotOfFid(fid) >= 0 && (kind == 0 || kind == 1);
}

inline TImage DetectImage(const std::vector<std::uint8_t>& bytes)
{
    if (bytes.size() >= 2 && bytes[0] == 0x76 && bytes[1] == 0x01)
        return {TImageKind::VuOverview, 2};
    // A card downloaded through a VU comes behind its transfer response.
    if (bytes.size() >= 2 && bytes[0] == 0x76 && bytes[1] == 0x06 && StartsWithCardHeader(bytes, 2))
        return {TImageKind::DriverCard, 2};
    if (StartsWithCardHeader(bytes, 0))
        return {TImageKind::DriverCard, 0};
    return {};
}

// Downloads are some hundred kilobytes; anything far larger is not one.
inline constexpr qint64 kMaxImageFileSize = 64 * 1024 * 1024;

// The file's bytes, or none with error set to a sentence for the user.
inline std::optional<std::vector<std::uint8_t>> ReadImageFile(const QString& path, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    if (file.size() > kMaxImageFileSize) {
        error = QStringLiteral("%1 is too large to be a tachograph download").arg(path);
        return std::nullopt;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(data.begin(), data.end());
}

// ReadImageFile, its failure told on stderr as "pellkit-cli COMMAND: ...".
inline std::optional<std::vector<std::uint8_t>> ReadInputFile(const QString& command, const QString& path)
{
    QString error;
    auto bytes = ReadImageFile(path, error);
    if (!bytes)
        QTextStream(stderr) << "pellkit-cli " << command << ": " << error << '\n';
    return bytes;
}

inline QString NotAnImageMessage(const QString& path)
{
    return QStringLiteral("%1 is neither a driver card image nor a VU download (no card file header, no 76 01 overview)")
        .arg(path);
}

struct TImageFile {
    std::vector<std::uint8_t> bytes;
    TImage image;
};

// The file and what it holds; none, told on stderr, when it cannot be read
// or holds no image.
inline std::optional<TImageFile> ReadImageInput(const QString& command, const QString& path)
{
    auto bytes = ReadInputFile(command, path);
    if (!bytes)
        return std::nullopt;
    const TImage image = DetectImage(*bytes);
    if (image.kind == TImageKind::Unknown) {
        QTextStream(stderr) << "pellkit-cli " << command << ": " << NotAnImageMessage(path) << '\n';
        return std::nullopt;
    }
    return TImageFile{std::move(*bytes), image};
}
