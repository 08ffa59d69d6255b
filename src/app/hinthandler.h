// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

// The application's hint handler: called whenever the hint (status tip) of the control or menu
// item under the mouse changes, with the new hint ("" when the mouse leaves it). One handler is
// active at a time; a window that installs its own while it is open puts the previous one back
// when it closes.
using HintHandler = std::function<void(const QString& hint)>;

// Installs a handler (an empty one switches hints off) and returns the one it replaces. owner
// identifies who installed it (ApplicationHintHandlerOwner), so that a window puts the previous
// handler back only while its own is still the one installed.
HintHandler SetApplicationHintHandler(HintHandler handler, const void* owner = nullptr);
const void* ApplicationHintHandlerOwner();
// The hint shown last.
QString CurrentApplicationHint();
