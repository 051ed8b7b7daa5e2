#pragma once
// What verify and inspect --json share: the trusted keys (--keys), the
// verification of a file, and its lines in English.

#include "uImageKind.h"
#include "uVerifyView.h"

#include <QCommandLineParser>
#include <QStringList>

#include <cstdint>
#include <vector>

class TCertificateStore;

// Adds --keys DIR.
void AddKeysOption(QCommandLineParser& parser);
// The test root key from TK_PK.bin in --keys, else in the program's folder.
void LoadTrustedKeys(const QCommandLineParser& parser, TCertificateStore& store);

// A card image or VU download of a generation-1 file, part by part.
views::TVerification VerifyImage(const std::vector<std::uint8_t>& bytes, const TImage& image, TCertificateStore& store);

// One line per certificate, part and problem ("SUBJECT: VERDICT"), then the verdict line.
QStringList VerificationLines(const views::TVerification& verification);
