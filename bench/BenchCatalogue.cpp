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

std::string Micro(double seconds) { return bench::Fixed(seconds * 1e6, 1) + " µs"; }

} // namespace

int RunCatalogue(int argc, char** argv)
{
    const bench::Options options(argc, argv, 2);
    const int openings = static_cast<int>(options.Number("openings", 500));
    const int singles = static_cast<int>(options.Number("lookups", 20000));

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

    const int lookups = static_cast<int>(std::size(kDialogCaptions) + msg::kVexaLanguageCodes.size());
    for (const auto& [language, name] : {std::pair{lang::French, "French"}, std::pair{lang::English, "English"}}) {
        SetCurrentLanguage(language);
        std::vector<double> dialog;
        std::size_t characters = 0;
        for (int i = 0; i < openings; ++i) {
            start = bench::Clock::now();
            for (const int code : kDialogCaptions)
                characters += static_cast<std::size_t>(MessageText(code).size());
            for (const int code : msg::kVexaLanguageCodes)
                characters += static_cast<std::size_t>(MessageText(code).size());
            dialog.push_back(bench::Seconds(bench::Clock::now() - start));
        }
        std::vector<double> single;
        for (int i = 0; i < singles; ++i) {
            start = bench::Clock::now();
            characters += static_cast<std::size_t>(MessageText(msg::Ok).size());
            single.push_back(bench::Seconds(bench::Clock::now() - start));
        }
        if (characters == 0)
            std::fprintf(stderr, "catalogue: every text was empty\n");
        bench::Row("Catalogue", std::to_string(lookups) + " lookups of one configuration dialog opening, " + name,
                   "median " + Micro(bench::Quantile(dialog, 0.5)) + ", p99 " + Micro(bench::Quantile(dialog, 0.99)));
        bench::Row("Catalogue", std::string("one lookup, ") + name,
                   "median " + Micro(bench::Quantile(single, 0.5)) + ", p99 " + Micro(bench::Quantile(single, 0.99)));
    }
    return 0;
}
