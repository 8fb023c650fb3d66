// One headless document for the fuzz targets that load files into a document: made once and
// reused for every input (loading makes it anew), with the warnings damaged files raise by the
// thousand not shown.
#pragma once

#include "document/paper/document_init.h"
#include "document/paper/headless_owner.h"
#include "document/paper/paper.h"
#include "platform/desktop/messages.h"

#include <cstdlib>
#include <memory>

namespace fuzz_document {

inline void check(bool ok)
{
    if (!ok)
        std::abort();
}

struct Doc
{
    Doc()
    {
        initialiseDocument();
        kavrin::installMessageHandlers(kavrin::MessageHandlers{
            .warning = [](const QString &) {},
            .warningEx = [](const QString &, void *, const QString &) {}});
        paper = TPaper::Create(&owner);
        check(paper != nullptr);
        owner.attach(*paper);
    }
    CHeadlessPaperOwner owner;
    std::unique_ptr<TPaper> paper;
};

} // namespace fuzz_document
