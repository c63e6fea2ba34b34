#include "cli/cli_options.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

bool parseLevel(const char* text, int& level)
{
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || value < 0 || value > 4)
        return false;
    level = static_cast<int>(value);
    return true;
}

// More would only crowd the machine; every conversion runs in its own process.
constexpr long MaxJobs = 1024;

bool parseJobs(const char* text, int& jobs)
{
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || value < 1 || value > MaxJobs)
        return false;
    jobs = static_cast<int>(value);
    return true;
}

bool parseDelimiter(const char* text, char& delimiter)
{
    if (std::strcmp(text, "comma") == 0)
        delimiter = ',';
    else if (std::strcmp(text, "space") == 0)
        delimiter = ' ';
    else if (std::strcmp(text, "tab") == 0)
        delimiter = '\t';
    else if (std::strlen(text) == 1)
        delimiter = text[0];
    else
        return false;
    return true;
}

ParseResult usageError(std::string reason)
{
    ParseResult result;
    result.outcome = ParseOutcome::UsageError;
    result.error = std::move(reason);
    return result;
}

} // namespace

int defaultJobCount()
{
    const long processors = static_cast<long>(std::thread::hardware_concurrency());
    return processors > 1 ? static_cast<int>(std::min(processors, MaxJobs)) : 1;
}

const char* cliUsageText()
{
    return "Usage: orvantis-cli [--cal CALFILE [--cal-any-serial]] [--level N] [--transpose]\n"
           "                    [--binary | --netcdf]\n"
           "                    [--delimiter C] [--verbose] [--ignore-immersion] [--jobs N]\n"
           "                    [--quiet] [--time-units U] [--depth-units U]\n"
           "                    [--attribute NAME=VALUE]... DATAFILE|FOLDER...\n"
           "       orvantis-cli associations | associate SERIAL CALFILE | forget SERIAL\n"
           "       orvantis-cli file-types status|register|remove [.ASC|.BIN...]\n"
           "       orvantis-cli --help | --version\n"
           "\n"
           "Converts Tidelume data files (.ASC, .BIN) into calibrated spectra beside them;\n"
           "a folder stands for every data file under it. A summary ends every run.\n"
           "  --cal CALFILE        calibration file for every data file; without it each\n"
           "                       file uses the calibration associated with its serial\n"
           "  --cal-any-serial     convert also when the calibration file is for another\n"
           "                       instrument's serial number (a warning says so)\n"
           "  --level N            processing level 0 (raw) to 4 (full cal); default 4\n"
           "  --transpose          one column per spectrum in text output\n"
           "  --binary             little-endian binary output (.BDT, .BRW)\n"
           "  --netcdf             NetCDF-4 output with CF and ACDD attributes (.nc,\n"
           "                       .RAW.nc at level 0)\n"
           "  --time-units U       for NetCDF: the instrument's time stamps are U, as\n"
           "                       \"milliseconds since 2025-06-01T00:00:00Z\"; gives a\n"
           "                       CF time coordinate\n"
           "  --depth-units U      for NetCDF: the depth's unit, as m; gives CF depth\n"
           "  --attribute N=V      for NetCDF: a global attribute, as platform=... or\n"
           "                       station=...; may be repeated\n"
           "  --delimiter C        one character, or comma, space, tab; default comma\n"
           "  --verbose            debug messages\n"
           "  --ignore-immersion   use 1.0 for every immersion coefficient\n"
           "  --jobs N             convert up to N files at the same time; default: the\n"
           "                       number of processors. Logs still come file by file,\n"
           "                       in the order given\n"
           "  --quiet              no log: only the errors and the summary\n"
           "  file-types           the desktop's .ASC and .BIN types, opened by the window\n"
           "                       program beside this one (both types without any)\n"
           "Exit status: 0 all converted, 1 a file skipped or not calibrated,\n"
           "2 usage error or unreadable calibration file.\n";
}

ParseResult parseCliOptions(int argc, char** argv)
{
    ParseResult result;
    CliOptions& options = result.options;
    ConversionOptions& conversion = options.conversion;
    int level = conversion.level;
    bool binary = false;
    bool netcdf = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(arg, "--") == 0) {
            options.dataFiles.insert(options.dataFiles.end(), argv + i + 1, argv + argc);
            break;
        }
        if (std::strcmp(arg, "--help") == 0) {
            result.outcome = ParseOutcome::ShowHelp;
            return result;
        }
        if (std::strcmp(arg, "--version") == 0) {
            result.outcome = ParseOutcome::ShowVersion;
            return result;
        }
        if (std::strcmp(arg, "--cal") == 0) {
            if (!hasValue)
                return usageError("--cal needs a calibration file");
            options.calFile = argv[++i];
        } else if (std::strcmp(arg, "--level") == 0) {
            if (!hasValue || !parseLevel(argv[++i], level))
                return usageError("--level needs an integer (0 to 4)");
        } else if (std::strcmp(arg, "--delimiter") == 0) {
            if (!hasValue || !parseDelimiter(argv[++i], conversion.delimiter))
                return usageError("--delimiter needs one character, or comma, space or tab");
        } else if (std::strcmp(arg, "--jobs") == 0) {
            if (!hasValue || !parseJobs(argv[++i], options.jobs))
                return usageError("--jobs needs a number of files (1 to 1024)");
        } else if (std::strcmp(arg, "--time-units") == 0) {
            const auto units = hasValue ? parseTimeUnits(argv[++i]) : std::nullopt;
            if (!units)
                return usageError(
                    "--time-units needs UNIT since DATE, e.g. \"milliseconds since 2025-06-01T00:00:00Z\"");
            conversion.netcdf.time = *units;
        } else if (std::strcmp(arg, "--depth-units") == 0) {
            if (!hasValue || argv[i + 1][0] == '\0')
                return usageError("--depth-units needs a unit, e.g. m");
            conversion.netcdf.depthUnits = argv[++i];
        } else if (std::strcmp(arg, "--attribute") == 0) {
            const auto attribute = hasValue ? parseAttribute(argv[++i]) : std::nullopt;
            if (!attribute)
                return usageError("--attribute needs NAME=VALUE, NAME a letter then letters, digits or _");
            conversion.netcdf.attributes.push_back(*attribute);
        } else if (std::strcmp(arg, "--transpose") == 0) {
            conversion.transpose = true;
        } else if (std::strcmp(arg, "--binary") == 0) {
            binary = true;
        } else if (std::strcmp(arg, "--netcdf") == 0) {
            netcdf = true;
        } else if (std::strcmp(arg, "--quiet") == 0) {
            options.quiet = true;
        } else if (std::strcmp(arg, "--verbose") == 0) {
            conversion.verbose = true;
        } else if (std::strcmp(arg, "--cal-any-serial") == 0) {
            options.calAnySerial = true;
        } else if (std::strcmp(arg, "--ignore-immersion") == 0) {
            conversion.ignoreImmersion = true;
        } else if (std::strncmp(arg, "--", 2) == 0 && arg[2] != '\0') {
            return usageError(std::string("unknown option ") + arg);
        } else {
            options.dataFiles.emplace_back(arg);
        }
    }
    if (binary && netcdf)
        return usageError("--binary and --netcdf choose different output forms");
    conversion.level = static_cast<int8_t>(level);
    conversion.form = chosenOutputForm(binary, netcdf);
    if (options.dataFiles.empty())
        return usageError("no data file given");
    return result;
}
