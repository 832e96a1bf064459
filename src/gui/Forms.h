#pragma once
// The program's eight windows. They are created once, in this order, and live until
// the program ends; the first is the application's main window.

#include <memory>

class TMainForm;
class TClipForm;
class TLogForm;
class TConvForm;
class TAboutForm;
class TFileInfoForm;
class TErrorForm;
class TMixTypeForm;

class TForms {
public:
    TForms();
    ~TForms();
    TForms(const TForms&) = delete;
    TForms& operator=(const TForms&) = delete;

    // The windows of the running program; null before they exist.
    static TForms* Instance();

    std::unique_ptr<TMainForm> MainForm;
    std::unique_ptr<TClipForm> ClipForm;
    std::unique_ptr<TLogForm> LogForm;
    std::unique_ptr<TConvForm> ConvForm;
    std::unique_ptr<TAboutForm> AboutForm;
    std::unique_ptr<TFileInfoForm> FileInfoForm;
    std::unique_ptr<TErrorForm> ErrorForm;
    std::unique_ptr<TMixTypeForm> MixTypeForm;
};
