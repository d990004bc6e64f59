#include "Utility/Logger.h"

#include <cstdio>
#include <mutex>

namespace {
Logger::Sink& sink()
{
    static Logger::Sink s;
    return s;
}
std::mutex& sinkMutex()
{
    static std::mutex m;
    return m;
}
} // namespace

std::string Logger::fileName(std::string_view file)
{
    const auto slash = file.rfind('/');
    if (slash == std::string_view::npos)
        return std::string(file);
    return std::string(file.substr(slash + 1));
}

std::string Logger::format(const std::optional<std::string>& message, std::string_view file,
                           int line, std::string_view function)
{
    const std::string name = fileName(file);
    if (message)
        return name + "(:" + std::to_string(line) + ") - " + std::string(function) + " : " + *message;
    return "[File:" + name + "][Line:" + std::to_string(line) + "][Function:" + std::string(function)
        + "]";
}

void Logger::log(const std::optional<std::string>& message, std::string_view file, int line,
                 std::string_view function)
{
    const std::string text = format(message, file, line, function);
    Sink current;
    {
        std::lock_guard lock(sinkMutex());
        current = sink();
    }
    if (current) {
        current(text);
        return;
    }
    std::fputs(text.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string_view Logger::functionName(std::string_view signature)
{
    // "[with T = ...]" of a template instance goes first.
    if (const auto with = signature.find(" [with "); with != std::string_view::npos)
        signature = signature.substr(0, with);
    // The name ends where its parameter list opens, outside any template
    // argument list; the return type ends at the last space before it.
    int depth = 0;
    size_t nameStart = 0;
    for (size_t i = 0; i < signature.size(); ++i) {
        const char c = signature[i];
        if (c == '<')
            ++depth;
        else if (c == '>' && depth > 0)
            --depth;
        else if (c == ' ' && depth == 0)
            nameStart = i + 1;
        else if (c == '(' && depth == 0 && i > nameStart)
            return signature.substr(nameStart, i - nameStart);
        else if (c == '(')  // "(anonymous namespace)" opening the name
            ++depth;
        else if (c == ')' && depth > 0)
            --depth;
    }
    return signature.substr(nameStart);
}

void Logger::log(const std::optional<std::string>& message, const Where& where)
{
    log(message, where.file_name(), int(where.line()), functionName(where.function_name()));
}

Logger::Sink Logger::setSink(Sink s)
{
    std::lock_guard lock(sinkMutex());
    Sink previous = std::move(sink());
    sink() = std::move(s);
    return previous;
}
