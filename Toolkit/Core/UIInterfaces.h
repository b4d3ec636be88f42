// The small interfaces windows and controls implement to hear from a manager.
#pragma once

#include "Platform/Window.h"
#include "Toolkit/Core/UIDefs.h"

namespace SkinUI {

// Receives every notification of a manager, synchronously, in registration order.
class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyMsg& msg) = 0;
};

// Sees window messages before the manager does; setting handled ends their processing with
// the returned result.
class IMessageFilterUI {
public:
    virtual ~IMessageFilterUI() = default;
    virtual plat::LRESULT MessageHandler(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam,
                                         bool& handled) = 0;
};

// An accelerator hook of the modal translation step; true consumes the message.
class ITranslateAccelerator {
public:
    virtual ~ITranslateAccelerator() = default;
    virtual bool TranslateAccelerator(const plat::MSG& msg) = 0;
};

} // namespace SkinUI
