// A document owned by a headless owner that holds its flow image, as a window would: what tests,
// tools and fuzz targets open files into and play events onto.
#pragma once

#include "document/paper/document_init.h"
#include "document/paper/flow_image.h"
#include "document/paper/headless_owner.h"
#include "document/paper/paper.h"

#include <memory>

struct HeadlessDocument
{
    HeadlessDocument()
    {
        initialiseDocument();
        paper = TPaper::Create(&owner);
        if (paper)
            owner.attach(*paper);
    }
    // The flow image goes first, then the document, as the window frees them.
    ~HeadlessDocument()
    {
        owner.detach();
        paper.reset();
    }
    HeadlessDocument(const HeadlessDocument &) = delete;
    HeadlessDocument &operator=(const HeadlessDocument &) = delete;

    TFlowImage &flow() { return *owner.flow(); }

    CHeadlessPaperOwner owner;
    std::unique_ptr<TPaper> paper;
};
