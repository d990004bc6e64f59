#include "Utility/AppError.h"
#include "Utility/Logger.h"

#include <gtest/gtest.h>

TEST(Logger, PrintsLastPathComponentLineFunctionAndMessage)
{
    EXPECT_EQ(Logger::format(std::string("ERROR : Device write"), "/a/b/HidDevice.cpp", 12,
                             "hidWrite(_:responseCallBack:)"),
              "HidDevice.cpp(:12) - hidWrite(_:responseCallBack:) : ERROR : Device write");
    EXPECT_EQ(Logger::format(std::string("m"), "plain.cpp", 1, "f"), "plain.cpp(:1) - f : m");
    EXPECT_EQ(Logger::format(std::string("m"), "dir/", 1, "f"), "(:1) - f : m");
}

TEST(Logger, AbsentMessagePrintsBracketedForm)
{
    EXPECT_EQ(Logger::format(std::nullopt, "/x/y.cpp", 7, "g()"), "[File:y.cpp][Line:7][Function:g()]");
}

TEST(Logger, SinkCapturesLines)
{
    std::vector<std::string> lines;
    auto previous = Logger::setSink([&](const std::string& l) { lines.push_back(l); });
    Logger::log(std::string("hello"), "a/b.cpp", 3, "fn");
    Logger::setSink(previous);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "b.cpp(:3) - fn : hello");
}

TEST(AppError, CodesArePositions)
{
    EXPECT_EQ(appErrorCode(AppError::NoError), 0);
    EXPECT_EQ(appErrorCode(AppError::DeviceReadTimeout), 12);
    EXPECT_EQ(appErrorCode(AppError::AbortFirmwareUpdate), 19);
    EXPECT_EQ(appErrorCode(AppError::FolderNotExist), 20);
    EXPECT_STREQ(appErrorName(AppError::DevceRead), "DevceRead");
}

TEST(Logger, CallSiteFormTakesTheSourceFileNameOnly)
{
    std::vector<std::string> lines;
    auto previous = Logger::setSink([&](const std::string& l) { lines.push_back(l); });
    Logger::log(std::string("x"));
    Logger::log(std::nullopt);
    Logger::setSink(previous);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("LoggerTest.cpp(:", 0), 0u) << lines[0];
    EXPECT_EQ(lines[0].substr(lines[0].size() - 4), " : x");
    EXPECT_EQ(lines[1].rfind("[File:LoggerTest.cpp][Line:", 0), 0u) << lines[1];
    EXPECT_EQ(lines[1].back(), ']');
}

TEST(Logger, CallSitesAreNamedByTheFunctionWithoutItsReturnTypeOrParameters)
{
    EXPECT_EQ(Logger::functionName("AppError KeyboardEntry::loadDeviceParam()"), "KeyboardEntry::loadDeviceParam");
    EXPECT_EQ(Logger::functionName("std::map<int, bool> ns::T<A>::f(int) [with A = int]"), "ns::T<A>::f");
    EXPECT_EQ(Logger::functionName("void (anonymous namespace)::g()::<lambda()>"), "(anonymous namespace)::g");
}
