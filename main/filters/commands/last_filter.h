// The filter to repeat: the command of the last filter run from the menu and its name, shared by
// every document for the life of the process.
#pragma once

#include <QString>

#include <cstdint>

class IFilterView;
class TFlowImage;

// A filter command: the document window (nullptr: none, the command refuses), its flow image, the
// layer, and whether to take the last-used values instead of showing the dialog.
using FilterCommand = bool (*)(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);

// Forgets the last filter (at start, with the filters' tables).
void clearLastFilter();
// Remembers cmd as the filter to repeat, under name.
void rememberLastFilter(FilterCommand cmd, const QString &name);
void getLastFilterName(QString &name);
bool hasLastFilter();
// Runs the remembered command with these arguments; false when none is remembered.
bool repeatLastFilter(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
