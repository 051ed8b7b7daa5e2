// The built languages.db beside the test binaries holds every code the
// program uses, non-empty, in every interface language.

#include "uLocalization.h"
#include "uMessageCodes.h"
#include "uTranslation.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(CatalogueCompleteness, EveryUsedCodeInEveryLanguage)
{
    // The program's own way of finding the catalogue: beside the executable.
    SetCataloguePath(QString());
    ASSERT_TRUE(QFile::exists(CataloguePath())) << CataloguePath().toStdString();

    for (const lang::TLanguage& language : lang::kLanguages) {
        std::string missing;
        int count = 0;
        for (int code : msg::kUsedMessageCodes) {
            QString text;
            LookupMessage(language.code, code, text);
            if (text.isEmpty()) {
                ++count;
                missing += " " + std::to_string(code);
            }
        }
        EXPECT_EQ(count, 0) << language.name << " (" << language.code << ") lacks" << missing;
    }
    SetCataloguePath(QString());
}

} // namespace
