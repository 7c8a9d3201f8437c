#ifndef PROBECOMMAND_H
#define PROBECOMMAND_H

#include <string>

// "-i FILE": the playing time between two '$' on standard output.
class ProbeCommand
{
public:
    explicit ProbeCommand(const std::string &inputPath);
    int run();

private:
    std::string inputPath;
};

#endif // PROBECOMMAND_H
