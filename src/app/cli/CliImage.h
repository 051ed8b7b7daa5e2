#pragma once
// Reading a file handed to inspect or verify, and telling what it holds.

#include "uImageKind.h"

#include <QFile>
#include <QJsonObject>
#include <QString>
#include <QTextStream>

#include <cstdint>
#include <optional>
#include <vector>

// Downloads are some hundred kilobytes; anything far larger is not one.
inline constexpr qint64 kMaxImageFileSize = 64 * 1024 * 1024;

// The file's bytes ("-": standard input), or none with error set to a
// sentence for the user.
inline std::optional<std::vector<std::uint8_t>> ReadImageFile(const QString& path, QString& error)
{
    const bool standardInput = path == QLatin1String("-");
    QFile file(standardInput ? QString() : path);
    const bool opened = standardInput ? file.open(stdin, QIODevice::ReadOnly) : file.open(QIODevice::ReadOnly);
    if (!opened) {
        error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    // A pipe has no size: read one byte past the limit to know.
    const QByteArray data = file.read(kMaxImageFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("cannot read %1: %2").arg(standardInput ? QStringLiteral("standard input") : path,
                                                         file.errorString());
        return std::nullopt;
    }
    if (data.size() > kMaxImageFileSize) {
        error = QStringLiteral("%1 is too large to be a tachograph download").arg(path);
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

// A file of a command on several files that cannot be read: told on stderr
// as ReadInputFile tells it, and its entry in the JSON document.
inline QJsonObject UnreadableFileEntry(const QString& command, const QString& path, const QString& error,
                                       int exitStatus)
{
    QTextStream(stderr) << "pellkit-cli " << command << ": " << error << '\n';
    return QJsonObject{{"path", path}, {"exitStatus", exitStatus}, {"error", QJsonObject{{"text", error}}}};
}

inline QString NotAnImageMessage(const QString& path)
{
    return QStringLiteral("%1 is neither a driver card image nor a VU download (no card file header, no 76 01 overview)")
        .arg(path);
}

// Why the file is not generation-1 data this program reads; empty when it is.
inline QString ImageProblem(const QString& path, const TImage& image)
{
    switch (image.kind) {
    case TImageKind::Unknown: return NotAnImageMessage(path);
    case TImageKind::VuGeneration2:
        return QStringLiteral("%1 is a smart tachograph (generation 2) VU download: only generation-1 data is read")
            .arg(path);
    case TImageKind::CardGeneration2:
        return QStringLiteral("%1 is a generation-2 driver card image (blocks of kind 02h and 03h): only "
                              "generation-1 data is read")
            .arg(path);
    case TImageKind::DriverCard:
    case TImageKind::VuOverview: break;
    }
    return {};
}

struct TImageFile {
    std::vector<std::uint8_t> bytes;
    TImage image;
};

// The file and what it holds; none, told on stderr, when it cannot be read
// or holds no generation-1 image.
inline std::optional<TImageFile> ReadImageInput(const QString& command, const QString& path)
{
    auto bytes = ReadInputFile(command, path);
    if (!bytes)
        return std::nullopt;
    const TImage image = DetectImage(*bytes);
    if (const QString problem = ImageProblem(path, image); !problem.isEmpty()) {
        QTextStream(stderr) << "pellkit-cli " << command << ": " << problem << '\n';
        return std::nullopt;
    }
    return TImageFile{std::move(*bytes), image};
}
