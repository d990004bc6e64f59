#pragma once
// Console logging with the caller's file, line and function.
//
//   Logger::log(std::string("ERROR : Device write"), __FILE__, __LINE__,
//               "hidWrite(_:responseCallBack:)");
// prints "HidDevice.cpp(:123) - hidWrite(_:responseCallBack:) : ERROR : Device write".
// Logger::log(message) takes file, line and function from the call site.

#include <functional>
#include <optional>
#include <source_location>
#include <string>
#include <string_view>

class Logger {
public:
    // Writes one line to standard output. An absent message prints the
    // bracketed form "[File:<name>][Line:<n>][Function:<f>]".
    static void log(const std::optional<std::string>& message, std::string_view file, int line,
                    std::string_view function);
#if defined(__cpp_lib_source_location)
    using Where = std::source_location;
#else
    // clang before 15 with libstdc++ (the fuzzing build) has no
    // std::source_location; the same builtins give the call site.
    struct Where {
        static constexpr Where current(const char* file = __builtin_FILE(), int line = __builtin_LINE(),
                                       const char* function = __builtin_FUNCTION()) noexcept
        {
            return Where{file, line, function};
        }
        constexpr const char* file_name() const noexcept { return file_; }
        constexpr unsigned line() const noexcept { return static_cast<unsigned>(line_); }
        constexpr const char* function_name() const noexcept { return function_; }
        const char* file_;
        int line_;
        const char* function_;
    };
#endif
    static void log(const std::optional<std::string>& message, const Where& where = Where::current());

    // The text log() prints, without the line feed.
    static std::string format(const std::optional<std::string>& message, std::string_view file,
                              int line, std::string_view function);
    // Last path component of a file argument ("" when it ends in '/').
    static std::string fileName(std::string_view file);
    // The qualified name in a compiler's function signature, without its
    // return type and parameters: "Dialog::wait" of "AppError Dialog::wait(int)".
    static std::string_view functionName(std::string_view signature);

    // Tests capture the lines instead of printing them; pass an empty
    // function to restore printing. Returns the previous sink.
    using Sink = std::function<void(const std::string&)>;
    static Sink setSink(Sink sink);
};
