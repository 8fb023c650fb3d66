// Regular expressions for the keystroke filters, on PCRE2 (UTF-16, so QString text goes in
// without conversion).
#pragma once

#include <QString>

#include <memory>

class TRegExpr
{
  public:
    // Compiles Pattern; an invalid one leaves the object invalid (ErrorMessage says why).
    explicit TRegExpr(const QString &Pattern);
    ~TRegExpr();
    TRegExpr(const TRegExpr &) = delete;
    TRegExpr &operator=(const TRegExpr &) = delete;

    bool IsValid() const { return FCode != nullptr; }
    QString ErrorMessage() const { return FError; }
    // Whether the pattern matches somewhere in Subject; false for an invalid pattern.
    bool Exec(const QString &Subject) const;

  private:
    struct Code;
    Code *FCode = nullptr;
    QString FError;
};
