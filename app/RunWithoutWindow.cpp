#include "app/RunWithoutWindow.h"

#include "framework/dialog.h"
#include "win32/LinkRegistration.h"
#include "win32/MachineValues.h"

bool NeedsMainWindow(const Request& request) {
    return request.kind == RequestKind::Open || request.kind == RequestKind::Join ||
           request.kind == RequestKind::Link;
}

int RunWithoutWindow(const Request& request) {
    const std::string usage = UsageText(AfxGetAppName());
    switch (request.kind) {
    case RequestKind::WriteMachineValues:
        return WriteMachineValuesHere(request);
    case RequestKind::Help:
        AfxMessageBox(usage.c_str(), MB_OK | MB_ICONINFORMATION);
        return 0;
    case RequestKind::BadLink:
        AfxMessageBox(kBadLinkMessage, MB_OK | MB_ICONEXCLAMATION);
        return 2;
    case RequestKind::RegisterLinks:
        if (RegisterLinks()) return 0;
        AfxMessageBox(kRegisterLinksFailed, MB_OK | MB_ICONHAND);
        return 1;
    case RequestKind::UnregisterLinks:
        if (UnregisterLinks()) return 0;
        AfxMessageBox(kUnregisterLinksFailed, MB_OK | MB_ICONHAND);
        return 1;
    default:
        AfxMessageBox(("This command line is not understood.\n\n" + usage).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return 2;
    }
}
