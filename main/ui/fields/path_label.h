// TPathLabel: a file path, shortened in its middle when it does not fit, with a trailing "*"
// while the file is modified.
#pragma once

#include "ui/fields/label_fields.h"

class TPathLabel : public TCustomLabelBase
{
  public:
    explicit TPathLabel(QWidget *parent = nullptr);

    QString Path() const { return FPath; }
    void setPath(const QString &path);
    bool Modified() const { return FModified; }
    void setModified(bool on);

    uint32_t TextFlags() const override;

  private:
    bool FModified = false;
    QString FPath;
};
