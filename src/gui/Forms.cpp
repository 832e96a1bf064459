#include "gui/Forms.h"

#include "gui/AboutForm.h"
#include "gui/ClipForm.h"
#include "gui/ConvForm.h"
#include "gui/ErrorForm.h"
#include "gui/FileInfoForm.h"
#include "gui/LogForm.h"
#include "gui/MainForm.h"
#include "gui/MixTypeForm.h"

namespace {
TForms* instance = nullptr;
}

TForms::TForms()
{
    instance = this;
    MainForm = std::make_unique<TMainForm>();
    ClipForm = std::make_unique<TClipForm>();
    LogForm = std::make_unique<TLogForm>();
    ConvForm = std::make_unique<TConvForm>();
    AboutForm = std::make_unique<TAboutForm>();
    FileInfoForm = std::make_unique<TFileInfoForm>();
    ErrorForm = std::make_unique<TErrorForm>();
    MixTypeForm = std::make_unique<TMixTypeForm>();
    MainForm->StartupFinished();
}

TForms::~TForms()
{
    // Secondary windows go first: they may refer to the main window's state.
    MixTypeForm.reset();
    ErrorForm.reset();
    FileInfoForm.reset();
    AboutForm.reset();
    ConvForm.reset();
    LogForm.reset();
    ClipForm.reset();
    MainForm.reset();
    instance = nullptr;
}

TForms* TForms::Instance()
{
    return instance;
}
