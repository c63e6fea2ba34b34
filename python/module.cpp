// The Python module's native part: the library interface with numpy arrays
// out and orvantis.Error for its failures. The GIL is released while files
// are read or converted, so threads of the caller run meanwhile.

#include "driver/library.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <optional>

namespace py = pybind11;

namespace {

py::object attributeValue(const AttributeValue& value)
{
    if (const auto* text = std::get_if<std::string>(&value))
        return py::str(*text);
    py::module_ numpy = py::module_::import("numpy");
    if (const auto* integer = std::get_if<int32_t>(&value))
        return numpy.attr("int32")(*integer);
    if (const auto* real = std::get_if<float>(&value))
        return numpy.attr("float32")(*real);
    const auto& reals = std::get<std::vector<double>>(value);
    // A file's attribute of one value reads as a scalar.
    if (reals.size() == 1)
        return numpy.attr("float64")(reals.front());
    return py::array_t<double>(static_cast<py::ssize_t>(reals.size()), reals.data());
}

py::dict attributes(const std::vector<DatasetAttribute>& list)
{
    py::dict dict;
    for (const auto& [name, value] : list)
        dict[py::str(name)] = attributeValue(value);
    return dict;
}

py::dtype dtypeOf(ValueType type)
{
    switch (type) {
    case ValueType::Short: return py::dtype::of<int16_t>();
    case ValueType::Int: return py::dtype::of<int32_t>();
    case ValueType::Float: return py::dtype::of<float>();
    case ValueType::Double: return py::dtype::of<double>();
    }
    return py::dtype::of<double>();
}

// The variable's values as an array that owns them: no copy is made.
py::array valuesOf(DatasetVariable& variable, const std::vector<DatasetDimension>& dimensions)
{
    std::vector<py::ssize_t> shape;
    for (const int d : variable.dimensions)
        shape.push_back(static_cast<py::ssize_t>(dimensions[static_cast<std::size_t>(d)].length));
    const std::size_t count = variable.values.size();
    if (!shape.empty()) // spectra may be kept for some rows only
        shape.front() = static_cast<py::ssize_t>(count / std::max<std::size_t>(variable.rowLength, 1));
    if (count == 0) // nothing was allocated: an empty array of the shape
        return py::array(dtypeOf(variable.type), shape);
    ValueBlock::Owned block = variable.values.release();
    unsigned char* data = block.get();
    py::capsule owner(block.release(), [](void* p) { ValueBlock::Free()(p); });
    return py::array(dtypeOf(variable.type), shape, data, owner);
}

// (dimensions, variables, attributes): the dimensions as (name, length)
// pairs, each variable as (name, dimension names, values or None,
// attributes).
py::tuple datasetPieces(MemoryDataset& dataset)
{
    py::list dimensions;
    for (const DatasetDimension& d : dataset.dimensions())
        dimensions.append(py::make_tuple(d.name, d.length));
    py::list variables;
    for (DatasetVariable& v : dataset.variables()) {
        py::list names;
        for (const int d : v.dimensions)
            names.append(dataset.dimensions()[static_cast<std::size_t>(d)].name);
        variables.append(
            py::make_tuple(v.name, py::tuple(names), valuesOf(v, dataset.dimensions()), attributes(v.attributes)));
    }
    return py::make_tuple(dimensions, variables, attributes(dataset.attributes()));
}

py::tuple readRecording(const std::string& path, const std::optional<std::string>& cal, int level, bool ignoreImmersion,
                        bool calAnySerial, std::size_t firstSpectrum, std::optional<std::size_t> spectra)
{
    orvantis::ReadOptions options;
    options.calFile = cal.value_or("");
    options.level = level;
    options.ignoreImmersion = ignoreImmersion;
    options.calAnySerial = calAnySerial;
    std::vector<std::string> warnings;
    std::optional<MemoryDataset> dataset;
    {
        py::gil_scoped_release released;
        SpectraRows rows;
        rows.first = firstSpectrum;
        if (spectra)
            rows.count = *spectra;
        dataset.emplace(orvantis::readRecording(path, options, &warnings, rows));
    }
    return py::make_tuple(datasetPieces(*dataset), warnings);
}

py::tuple readOutput(const std::string& path)
{
    std::optional<MemoryDataset> dataset;
    {
        py::gil_scoped_release released;
        dataset.emplace(orvantis::readOutput(path));
    }
    return datasetPieces(*dataset);
}

OutputForm formNamed(const std::string& form)
{
    if (form == "rows" || form == "columns")
        return OutputForm::Text;
    if (form == "binary")
        return OutputForm::Binary;
    if (form == "netcdf")
        return OutputForm::NetCdf;
    throw py::value_error("form must be \"rows\", \"columns\", \"binary\" or \"netcdf\", not \"" + form + "\"");
}

py::tuple convert(const std::vector<std::string>& inputs, int level, const std::string& form, int jobs,
                  const std::optional<std::string>& cal, bool calAnySerial, bool ignoreImmersion,
                  const std::string& delimiter)
{
    BatchOptions options;
    options.calFile = cal.value_or("");
    options.calAnySerial = calAnySerial;
    options.conversion.level = static_cast<int8_t>(level);
    options.conversion.form = formNamed(form);
    options.conversion.transpose = form == "columns";
    options.conversion.ignoreImmersion = ignoreImmersion;
    if (delimiter.size() != 1)
        throw py::value_error("delimiter must be one character");
    options.conversion.delimiter = delimiter.front();
    options.jobs = jobs;
    options.quiet = true;
    options.command = "orvantis.convert";
    orvantis::BatchReport report;
    {
        py::gil_scoped_release released;
        report = orvantis::convert(inputs, options);
    }
    py::list files;
    for (const orvantis::ConvertedFile& f : report.files)
        files.append(py::make_tuple(f.path, f.outcome, f.output, f.spectra, f.messages));
    return py::make_tuple(files, report.summary);
}

std::string contentOf(const std::string& path)
{
    py::gil_scoped_release released;
    switch (orvantis::contentOf(path)) {
    case orvantis::Content::Recording: return "recording";
    case orvantis::Content::NetcdfOutput: return "netcdf";
    case orvantis::Content::Output: return "output";
    case orvantis::Content::Unknown: break;
    }
    return "unknown";
}

} // namespace

PYBIND11_MODULE(_orvantis, m)
{
    m.doc() = "The native part of orvantis; use the orvantis package.";
    const py::object error = py::register_exception<orvantis::Error>(m, "Error", PyExc_RuntimeError);
    py::register_exception<orvantis::StoreUnusable>(m, "StoreUnusable", error);
    m.def("read_recording", &readRecording, py::arg("path"), py::arg("cal"), py::arg("level"),
          py::arg("ignore_immersion"), py::arg("cal_any_serial"), py::arg("first_spectrum") = 0,
          py::arg("spectra") = py::none());
    m.def("convert", &convert, py::arg("inputs"), py::arg("level"), py::arg("form"), py::arg("jobs"), py::arg("cal"),
          py::arg("cal_any_serial"), py::arg("ignore_immersion"), py::arg("delimiter"));
    m.def("read_output", &readOutput, py::arg("path"));
    m.def("channel_set", &orvantis::channelSet, py::arg("path"), py::call_guard<py::gil_scoped_release>());
    m.def("content_of", &contentOf, py::arg("path"));
    m.def("associate", &orvantis::associate, py::arg("serial"), py::arg("cal"),
          py::call_guard<py::gil_scoped_release>());
    m.def("forget", &orvantis::forget, py::arg("serial"), py::call_guard<py::gil_scoped_release>());
    m.def("associations", &orvantis::associations, py::call_guard<py::gil_scoped_release>());
}
