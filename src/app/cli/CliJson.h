#pragma once
// The decoded views as JSON, in the shape docs/json.md documents: English
// keys, times as ISO 8601 UTC texts (null where the data holds none),
// durations in minutes, texts decoded from their code page.

#include <QJsonObject>

namespace views {
struct TCardView;
struct TVuView;
struct TVerification;
struct TActivitySpan;
} // namespace views

QJsonObject CardJson(const views::TCardView& card);
QJsonObject VuJson(const views::TVuView& vu);
QJsonObject VerificationJson(const views::TVerification& verification);
QJsonObject SpanJson(const views::TActivitySpan& span);
