#include "media/OptionParser.h"

#include "media/ErrorText.h"
#include "media/FFLogger.h"
#include "media/FFmpegException.h"
#include "media/LastParseError.h"
#include "media/OptionValues.h"
#include "media/OptionWords.h"
#include "media/OptionsLog.h"

extern "C" {
#include <libavutil/parseutils.h>
}

namespace {

bool IsOptionWord(const std::string& word)
{
    return word.size() > 1 && word[0] == '-';
}

template <class T> T Number(const std::string& name, const std::string& value, const char* kind)
{
    T result = 0;
    bool parsed = false;
    if constexpr (std::is_integral_v<T>)
        parsed = ParseWhole(value, result);
    else
        parsed = ParseDecimal(value, result);
    if (!parsed)
        throw FFmpegException(
            std::string("Expected ") + kind + " for " + name + " but found " + value);
    return result;
}

int64_t Duration(const std::string& name, const std::string& value)
{
    int64_t result = 0;
    if (av_parse_time(&result, value.c_str(), 1) < 0)
        throw FFmpegException("Invalid duration specification for " + name + ": " + value);
    return result;
}

// The value in the type the option's flags ask for, tested in this order.
TOptionValue Convert(
    uint32_t flags, const std::string& name, const std::string& value, bool negated)
{
    if (flags & ofString)
        return value;
    if (flags & ofBool)
        return negated ? 0 : 1;
    if (flags & ofInt)
        return Number<int>(name, value, "integer");
    if (flags & ofInt64)
        return Number<int64_t>(name, value, "int64");
    if (flags & ofTime)
        return Duration(name, value);
    if (flags & ofFloat)
        return Number<float>(name, value, "float");
    if (flags & ofDouble)
        return Number<double>(name, value, "double");
    return value;
}

// Puts a value into a field whose type matches it; the option table pairs them.
template <class Owner> struct TAssign {
    Owner& owner;
    TOptionValue& value;

    template <class T> void operator()(T Owner::*field) const
    {
        owner.*field = std::move(std::get<T>(value));
    }
};

} // namespace

TOptionParser::TOptionParser(const void* sender)
    : FOwnState(std::make_unique<TOptionState>())
    , FContext(FOwnState->Context)
    , FSettings(FOwnState->Settings)
    , FOptions(FOwnState->Options)
    , FSender(sender ? sender : this)
{
}

TOptionParser::TOptionParser(
    TOptionsContext& context, TJobSettings& settings, TFFOptions& options, const void* sender)
    : FContext(context)
    , FSettings(settings)
    , FOptions(options)
    , FSender(sender)
{
}

void TOptionParser::ResetContext(bool afterInput)
{
    FContext.Reset(afterInput);
    FOptions.init_opts();
}

void TOptionParser::ParseOptions(const std::string& options)
{
    if (options.empty())
        return;
    GetLogger().Log(FSender, llInfo, "ParseOptions: " + options);
    const std::vector<std::string> words = SplitOptionWords(options);
    LogFatalErrors([&] {
        int result = ApplyLogLevelFirst(words);
        if (result >= 0 || !FHaltOnInvalidOption)
            result = ApplyWords(words);
        if (result < 0 && FHaltOnInvalidOption) {
            if (LastParseError().empty())
                LastParseError() = ErrorText("Failed to parse options", result);
            Raise(LastParseError());
        }
    });
}

void TOptionParser::LogFatalErrors(const std::function<void()>& body)
{
    try {
        body();
    } catch (const FFmpegException& e) {
        GetLogger().Log(FSender, llFatal, e.what());
        throw;
    }
}

void TOptionParser::Raise(const std::string& message)
{
    throw FFmpegException(message);
}

int TOptionParser::ApplyLogLevelFirst(const std::vector<std::string>& words)
{
    for (const char* wanted : { "loglevel", "v" }) {
        for (size_t i = 0; i < words.size(); ++i) {
            if (!IsOptionWord(words[i]))
                continue;
            const std::string name = words[i].substr(1);
            const TOptionDef* def = FindOption(name);
            if (def && name == wanted)
                return i + 1 < words.size() ? ApplyOption(name, &words[i + 1]) : 0;
            // Unknown names reach the catch-all option, which takes a value.
            if (!def || (def->flags & ofHasArg))
                ++i;
        }
    }
    return 0;
}

int TOptionParser::ApplyWords(const std::vector<std::string>& words)
{
    for (size_t i = 0; i < words.size();) {
        const std::string& word = words[i++];
        if (!IsOptionWord(word)) {
            if (!FHaltOnInvalidOption) {
                LogToLibrary(AV_LOG_WARNING, "Invalid option found while parsing options, ignore");
                continue;
            }
            LastParseError()
                = word.empty() ? "Failed to parse options" : "Failed to parse options on " + word;
            LogToLibrary(AV_LOG_ERROR, LastParseError());
            return -1;
        }
        LastParseError().clear();
        const int result = ApplyOption(word.substr(1), i < words.size() ? &words[i] : nullptr);
        if (result < 0) {
            if (FHaltOnInvalidOption)
                return result;
            continue;
        }
        i += result;
    }
    return 0;
}

int TOptionParser::ApplyOption(const std::string& name, const std::string* value)
{
    const TOptionDef* def = FindOption(name);
    bool negated = false;
    if (!def && name.starts_with("no")) {
        const TOptionDef* positive = FindOption(std::string_view(name).substr(2));
        if (positive && !(positive->flags & ofBool))
            return Refuse("Unrecognized option \"" + name + "\"");
        if (positive) {
            def = positive;
            negated = true;
        }
    }
    if (!def)
        def = FindOption("default");
    if ((def->flags & ofHasArg) && !value)
        return Refuse("Missing argument for option \"" + name + "\"");

    const std::string arg = (def->flags & ofHasArg) ? *value : std::string();
    const int result = std::holds_alternative<TOptionHandler>(def->target)
        ? CallHandler(*def, name, arg)
        : Store(*def, name, arg, negated);
    if (result < 0)
        return result;
    return (def->flags & ofHasArg) ? 1 : 0;
}

int TOptionParser::Store(
    const TOptionDef& def, const std::string& name, const std::string& value, bool negated)
{
    TOptionValue converted = Convert(def.flags, name, value, negated);
    if (def.flags & ofSpec) {
        TSpecList& list = FContext.*std::get<TSpecList TOptionsContext::*>(def.target);
        const size_t colon = name.find(':');
        list.push_back({ colon == std::string::npos ? std::string() : name.substr(colon + 1),
            std::move(converted) });
        return 0;
    }
    std::visit(
        [&](auto field) {
            using Field = decltype(field);
            if constexpr (std::is_same_v<Field,
                              int TJobSettings::*> || std::is_same_v<Field, float TJobSettings::*>)
                TAssign<TJobSettings> { FSettings, converted }(field);
            else if constexpr (
                !std::is_same_v<Field,
                    TOptionHandler> && !std::is_same_v<Field, TSpecList TOptionsContext::*>)
                TAssign<TOptionsContext> { FContext, converted }(field);
        },
        def.target);
    return 0;
}

int TOptionParser::CallHandler(
    const TOptionDef& def, const std::string& name, const std::string& value)
{
    LastParseError().clear();
    const int result = (this->*std::get<TOptionHandler>(def.target))(name, value);
    if (result < 0) {
        const std::string message
            = "Failed to set value \"" + value + "\" for option \"" + name + "\"";
        AppendLastParseError(message);
        LogToLibrary(AV_LOG_ERROR, message);
    }
    return result;
}

int TOptionParser::Refuse(const std::string& message, int code)
{
    LastParseError() = message;
    LogToLibrary(AV_LOG_ERROR, message);
    return code;
}
