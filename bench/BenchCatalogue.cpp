// The catalogue lookups behind one opening of the configuration dialog (its
// 16 captions and the 23 Vexa language names), and a single lookup, in the
// default language and in English.

#include "Bench.h"
#include "BenchSupport.h"

#include "uLocalization.h"
#include "uMessageCodes.h"
#include "uTranslation.h"

#include <cstdio>

namespace {

// The captions the configuration dialog sets when its language is applied.
constexpr int kDialogCaptions[] = {
    msg::Configuration, msg::SelectDefaultOptions, msg::Overview,     msg::Activities,   msg::EventsFaults,
    msg::DetailedSpeed, msg::TechnicalData,        msg::LabelMode,    msg::CompanyMode,  msg::WorkshopMode,
    msg::LastDaysMode,  msg::Ok,                   msg::Cancel,       msg::DateWord,     msg::TimeWord,
    msg::LabelLanguage,
};

std::string Micro(double seconds) { return bench::Fixed(seconds * 1e6, seconds < 1e-5 ? 2 : 1) + " µs"; }

} // namespace

int RunCatalogue(int argc, char** argv)
{
    const bench::Options options(argc, argv, 2);
    const int openings = static_cast<int>(options.Number("openings", 200));
    const int singles = static_cast<int>(options.Number("lookups", 2000));

    // The first lookup opens the catalogue.
    SetCurrentLanguage(lang::French);
    auto start = bench::Clock::now();
    const QString first = MessageText(msg::Ok);
    const double opening = bench::Seconds(bench::Clock::now() - start);
    if (first.isEmpty()) {
        bench::Row("Catalogue", "open", "no text: is languages.db beside pellkit-bench?");
        return 1;
    }
    bench::Row("Catalogue", "first lookup (opens languages.db)", Micro(opening));

    // Cold: a fresh connection that has read no text yet, as at start-up.
    const auto cold = [] {
        SetCataloguePath(QString());
        MessageTextIn(lang::English, msg::NoF0Tag);
    };
    std::size_t characters = 0;
    const auto dialog = [&] {
        for (const int code : kDialogCaptions)
            characters += static_cast<std::size_t>(MessageText(code).size());
        for (const int code : msg::kVexaLanguageCodes)
            characters += static_cast<std::size_t>(MessageText(code).size());
    };
    const auto timed = [&](auto&& prepare, auto&& work, int times) {
        std::vector<double> seconds;
        for (int i = 0; i < times; ++i) {
            prepare();
            const auto t0 = bench::Clock::now();
            work();
            seconds.push_back(bench::Seconds(bench::Clock::now() - t0));
        }
        return "median " + Micro(bench::Quantile(seconds, 0.5)) + ", p99 " + Micro(bench::Quantile(seconds, 0.99));
    };
    const auto nothing = [] {};
    const auto one = [&] { characters += static_cast<std::size_t>(MessageText(msg::Ok).size()); };

    const std::string lookups = std::to_string(std::size(kDialogCaptions) + msg::kVexaLanguageCodes.size());
    for (const auto& [language, name] : {std::pair{lang::French, "French"}, std::pair{lang::English, "English"}}) {
        SetCurrentLanguage(language);
        const std::string in = std::string(", ") + name;
        bench::Row("Catalogue", lookups + " lookups of the configuration dialog's first opening" + in,
                   timed(cold, dialog, openings));
        bench::Row("Catalogue", lookups + " lookups of a later opening" + in, timed(nothing, dialog, openings));
        bench::Row("Catalogue", "one lookup, first time" + in, timed(cold, one, singles));
        bench::Row("Catalogue", "one lookup, again" + in, timed(nothing, one, singles * 10));
    }
    if (characters == 0)
        std::fprintf(stderr, "catalogue: every text was empty\n");
    return 0;
}
