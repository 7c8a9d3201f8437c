#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include <string>

// The two argument shapes the application sends, and --help for people.
class CommandLine
{
public:
    enum class Mode { Invalid, Help, Probe, Convert };

    CommandLine(int argc, char **argv);

    Mode mode() const { return m_mode; }
    const std::string &inputPath() const { return m_inputPath; }
    const std::string &outputPath() const { return m_outputPath; }
    int quality() const { return m_quality; }

    static std::string usage(const char *programName);

private:
    bool parseConvert(int argc, char **argv);
    static bool parseQuality(const char *text, int *quality);

    Mode m_mode = Mode::Invalid;
    std::string m_inputPath;
    std::string m_outputPath;
    int m_quality = -1;
};

#endif // COMMANDLINE_H
