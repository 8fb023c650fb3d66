#include "platform/system/regex.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

struct TRegExpr::Code
{
    pcre2_code *code = nullptr;
};

TRegExpr::TRegExpr(const QString &Pattern)
{
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code *code =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(Pattern.utf16()), PCRE2_SIZE(Pattern.size()),
                      PCRE2_UTF, &error, &offset, nullptr);
    if (!code) {
        PCRE2_UCHAR buffer[256];
        const int n = pcre2_get_error_message(error, buffer, 256);
        FError = n > 0 ? QString::fromUtf16(reinterpret_cast<const char16_t *>(buffer), n)
                       : QStringLiteral("invalid pattern");
        return;
    }
    FCode = new Code{code};
}

TRegExpr::~TRegExpr()
{
    if (FCode) {
        pcre2_code_free(FCode->code);
        delete FCode;
    }
}

bool TRegExpr::Exec(const QString &Subject) const
{
    if (!FCode)
        return false;
    pcre2_match_data *data = pcre2_match_data_create_from_pattern(FCode->code, nullptr);
    if (!data)
        return false;
    const int rc = pcre2_match(FCode->code, reinterpret_cast<PCRE2_SPTR>(Subject.utf16()),
                               PCRE2_SIZE(Subject.size()), 0, 0, data, nullptr);
    pcre2_match_data_free(data);
    return rc >= 0;
}
