#include "viewer/viewer_overview.h"

#include "viewer/marked_column.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

std::vector<double> pixelNumbers(const SpectrumRecord& r)
{
    std::vector<double> x;
    for (int k = 0; k < r.numPix; ++k)
        x.push_back(pixelNumber(r.firstPix, r.pixInc, k));
    return x;
}

bool allKnown(const std::vector<double>& wavelengths)
{
    return std::none_of(wavelengths.begin(), wavelengths.end(), [](double w) { return std::isnan(w); });
}

// Keeps every stride-th spectrum; when twice the wanted number are kept the
// stride doubles and every other one goes.
class Thinning {
public:
    Thinning(SpectraOverview& overview, std::size_t wanted) : o_(overview), wanted_(std::max<std::size_t>(wanted, 1)) {}

    void offer(std::size_t j, const std::vector<float>& values)
    {
        if (j % stride_ != 0)
            return;
        o_.sampleIndex.push_back(j);
        o_.samples.push_back(values);
        if (o_.samples.size() < 2 * wanted_)
            return;
        stride_ *= 2;
        std::size_t kept = 0;
        for (std::size_t i = 0; i < o_.samples.size(); ++i) {
            if (o_.sampleIndex[i] % stride_ != 0)
                continue;
            if (kept != i) { // a vector moved onto itself would be left empty
                o_.sampleIndex[kept] = o_.sampleIndex[i];
                o_.samples[kept] = std::move(o_.samples[i]);
            }
            ++kept;
        }
        o_.sampleIndex.resize(kept);
        o_.samples.resize(kept);
    }

private:
    SpectraOverview& o_;
    std::size_t wanted_;
    std::size_t stride_ = 1;
};

void widenEnvelope(SpectraOverview& o, const std::vector<float>& values)
{
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (std::isnan(values[k]))
            continue;
        o.lower[k] = std::min(o.lower[k], values[k]);
        o.upper[k] = std::max(o.upper[k], values[k]);
    }
}

} // namespace

bool drawable(const SpectraOverview& overview, std::size_t j)
{
    return samePixelSet(overview.records[j], overview.records.front());
}

SpectraOverview readOverview(const std::string& path, std::size_t samplesWanted)
{
    SpectraOverview o;
    o.path = path;
    OutputReader reader(path);
    o.layout = reader.layout();
    o.header = reader.header();
    Thinning thinning(o, samplesWanted);
    OutputSpectrum spectrum;
    for (std::int64_t at = reader.position(); reader.next(spectrum); at = reader.position()) {
        const std::size_t j = o.records.size();
        o.records.push_back(spectrum.record);
        o.positions.push_back(at);
        if (j == 0) {
            o.calibrated = reader.wavelengths().size() == spectrum.values.size() && allKnown(reader.wavelengths());
            o.x = o.calibrated ? reader.wavelengths() : pixelNumbers(spectrum.record);
            o.lower.assign(spectrum.values.size(), std::numeric_limits<float>::infinity());
            o.upper.assign(spectrum.values.size(), -std::numeric_limits<float>::infinity());
            o.columnIndex = spectrum.values.size() / 2;
        }
        if (!drawable(o, j)) {
            o.column.push_back(std::numeric_limits<double>::quiet_NaN());
            ++o.otherPixelSets;
            continue;
        }
        o.column.push_back(o.columnIndex < spectrum.values.size() ? spectrum.values[o.columnIndex]
                                                                  : std::numeric_limits<double>::quiet_NaN());
        widenEnvelope(o, spectrum.values);
        thinning.offer(j, spectrum.values);
    }
    if (o.records.empty())
        throw OutputReadError(path + " holds no spectra");
    o.marks = reader.takeValueMarks();
    o.delimiter = reader.delimiter();
    return o;
}

SpectrumFetcher::SpectrumFetcher(const SpectraOverview& overview) : overview_(overview) {}

OutputReader& SpectrumFetcher::reader()
{
    if (!reader_)
        reader_.emplace(overview_.path);
    return *reader_;
}

const std::vector<float>& SpectrumFetcher::spectrum(std::size_t j)
{
    if (std::optional<std::vector<float>> marked = markedSpectrum(overview_, j)) {
        spectrum_.values = std::move(*marked);
        return spectrum_.values;
    }
    reader().seek(overview_.positions.at(j));
    if (!reader().next(spectrum_))
        throw OutputReadError(overview_.path + " changed since it was opened");
    return spectrum_.values;
}

std::vector<double> SpectrumFetcher::column(std::size_t k)
{
    if (std::optional<std::vector<double>> marked = markedColumn(overview_, k))
        return std::move(*marked);
    std::vector<double> values(overview_.records.size(), std::numeric_limits<double>::quiet_NaN());
    reader().seek(overview_.positions.front());
    for (std::size_t j = 0; j < values.size() && reader().next(spectrum_); ++j)
        if (drawable(overview_, j) && k < spectrum_.values.size())
            values[j] = spectrum_.values[k];
    return values;
}
