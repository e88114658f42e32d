// The Python module vorlex over the library's C interface. The interpreter lock is released
// while the library works, so threads calling it run in parallel.
#include "vorlex.h"

#include <cstdio>
#include <memory>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <string>
#include <string_view>
#include <vector>

namespace py = pybind11;

namespace {

struct Repair {
    std::string text;
    py::bytes data;
    std::string verdict;
    std::string action;
    double confidence = 0;
    double plausibility = 0;
};

struct Candidate {
    std::string action;
    std::string label;
    double score = 0;
    double confidence = 0;
    double plausibility = 0;
};

/// The bytes of a bytes or str argument and the flag that says how the library reads them;
/// the object must outlive the view. `mode` is the `input` argument: None, "bytes", "unicode"
/// or "detect".
struct Input {
    std::string_view bytes;
    unsigned flags = 0;
};

Input readInput(const py::handle& data, const py::object& mode, const char* function,
                bool allowText) {
    std::string name = "default";
    if (!mode.is_none()) {
        if (!PyUnicode_Check(mode.ptr()))
            throw py::type_error(std::string(function) + "() takes input as str, not " +
                                 std::string(py::str(mode.get_type().attr("__name__"))));
        name = mode.cast<std::string>();
        if (name != "bytes" && name != "unicode" && name != "detect")
            throw py::value_error("input must be 'bytes', 'unicode' or 'detect', not '" + name +
                                  "'");
    }
    if (PyBytes_Check(data.ptr())) {
        char* buffer = nullptr;
        Py_ssize_t length = 0;
        PyBytes_AsStringAndSize(data.ptr(), &buffer, &length);
        const unsigned flags = name == "unicode"  ? VORLEX_INPUT_UNICODE
                               : name == "detect" ? VORLEX_INPUT_DETECT
                                                  : 0u;
        return {{buffer, static_cast<std::size_t>(length)}, flags};
    }
    if (allowText && PyUnicode_Check(data.ptr())) {
        Py_ssize_t length = 0;
        const char* buffer = PyUnicode_AsUTF8AndSize(data.ptr(), &length);
        if (!buffer) // lone surrogates
            throw py::error_already_set();
        return {{buffer, static_cast<std::size_t>(length)},
                name == "bytes" ? VORLEX_INPUT_UTF8 : VORLEX_INPUT_UNICODE};
    }
    throw py::type_error(std::string(function) + "() takes " +
                         (allowText ? "bytes or str" : "bytes") + ", not " +
                         std::string(py::str(data.get_type().attr("__name__"))));
}

/// The place of an error the library did not find in the input.
constexpr std::size_t kNowhere = static_cast<std::size_t>(-1);

[[noreturn]] void raise(vorlex_status status, const vorlex_error_detail& detail) {
    char text[240];
    if (status == VORLEX_ERROR_UNMAPPABLE) {
        std::snprintf(text, sizeof text,
                      "character U+%04lX at index %zu has no Windows-1251 byte (with "
                      "input='bytes' a str is read as Windows-1251 text)",
                      detail.code_point, detail.character_index);
        throw py::value_error(text);
    }
    if (status == VORLEX_ERROR_UTF8 && detail.byte_offset == kNowhere)
        throw py::value_error("a step of the action meets bytes that are not valid UTF-8");
    if (status == VORLEX_ERROR_UTF8) {
        std::snprintf(text, sizeof text, "the input is not valid UTF-8 (byte %zu)",
                      detail.byte_offset);
        throw py::value_error(text);
    }
    if (status == VORLEX_ERROR_MEMORY)
        throw std::bad_alloc();
    throw py::value_error(vorlex_status_message(status));
}

Repair repair(const py::object& data, const py::object& mode) {
    const Input input = readInput(data, mode, "repair", true);
    vorlex_repair_result* raw = nullptr;
    vorlex_error_detail detail{};
    vorlex_status status;
    {
        py::gil_scoped_release release;
        status = vorlex_repair(input.bytes.data(), input.bytes.size(), input.flags, &raw, &detail);
    }
    if (status != VORLEX_OK)
        raise(status, detail);
    const std::unique_ptr<vorlex_repair_result, void (*)(vorlex_repair_result*)> result(
        raw, vorlex_repair_free);
    return {std::string(result->text, result->text_length),
            py::bytes(result->data, result->data_length),
            vorlex_verdict_name(result->verdict),
            result->action,
            result->confidence,
            result->plausibility};
}

std::vector<Candidate> candidates(const py::object& data, long limit, const py::object& mode) {
    const Input input = readInput(data, mode, "candidates", true);
    if (limit < 1 || limit > 99)
        throw py::value_error("limit must be from 1 to 99, not " + std::to_string(limit));
    vorlex_candidate_list* raw = nullptr;
    vorlex_error_detail detail{};
    vorlex_status status;
    {
        py::gil_scoped_release release;
        status = vorlex_candidates(input.bytes.data(), input.bytes.size(), input.flags,
                                   static_cast<std::size_t>(limit), &raw, &detail);
    }
    if (status != VORLEX_OK)
        raise(status, detail);
    const std::unique_ptr<vorlex_candidate_list, void (*)(vorlex_candidate_list*)> list(
        raw, vorlex_candidates_free);
    std::vector<Candidate> out;
    for (std::size_t i = 0; i < list->count; ++i) {
        const vorlex_candidate& item = *list->items[i];
        out.push_back({item.action, std::string(item.label, item.label_length), item.score,
                       item.confidence, item.plausibility});
    }
    return out;
}

py::bytes recode(const py::object& data, const py::object& action, bool wAsVe, bool noSj,
                 bool separateEnglish) {
    const Input input = readInput(data, py::none(), "recode", false);
    if (!PyUnicode_Check(action.ptr()))
        throw py::type_error("recode() takes the action as str, not " +
                             std::string(py::str(action.get_type().attr("__name__"))));
    const std::string actionText = action.cast<std::string>();
    if (actionText.find('\0') != std::string::npos)
        throw py::value_error("the action holds a NUL character");
    const unsigned flags = (wAsVe ? VORLEX_W_AS_VE : 0u) | (noSj ? VORLEX_NO_SJ : 0u) |
                           (separateEnglish ? VORLEX_SEPARATE_ENGLISH : 0u);
    char* out = nullptr;
    std::size_t length = 0;
    vorlex_error_detail detail{kNowhere, 0, 0};
    vorlex_status status;
    {
        py::gil_scoped_release release;
        status = vorlex_recode(input.bytes.data(), input.bytes.size(), actionText.c_str(), flags,
                               &out, &length, &detail);
    }
    if (status == VORLEX_ERROR_ACTION) {
        std::string codes;
        for (std::size_t i = 0; vorlex_filter_code(i); ++i)
            codes += (i ? " " : "") + std::string(vorlex_filter_code(i));
        throw py::value_error("the action \"" + actionText +
                              "\" is no chain of one to five filter codes separated by single "
                              "spaces (after Unicode steps, when it starts with some); filter "
                              "codes are: " +
                              codes +
                              "; Unicode steps are: uw uk ua ui um ue ul ud wu ku au iu mu eu "
                              "lu du 8u u8");
    }
    if (status == VORLEX_ERROR_UNMAPPABLE)
        throw py::value_error("the text holds a character the page of the action's view lacks");
    if (status != VORLEX_OK)
        raise(status, detail);
    const std::unique_ptr<char, void (*)(void*)> owned(out, vorlex_free);
    return py::bytes(out, length);
}

} // namespace

PYBIND11_MODULE(vorlex, m) {
    m.doc() = "Repairs Russian text stored in the wrong Cyrillic 8-bit encoding (KOI8-R read as "
              "Windows-1251 and the like) or damaged on its way through Unicode (UTF-8 read as "
              "Windows-1251: 'РџСЂРёРІРµС‚', and the like).\n\n"
              "Every function may be called from any number of threads at once; the interpreter "
              "lock is released while the text is worked on.";
    m.attr("__version__") = vorlex_version();

    py::dict filters;
    for (std::size_t i = 0; vorlex_filter_code(i); ++i)
        filters[vorlex_filter_code(i)] = vorlex_filter_name(i);
    m.attr("FILTERS") = filters;

    py::class_<Repair>(m, "Repair", "The repair of a whole text.")
        .def_readonly("text", &Repair::text, "The repaired text.")
        .def_readonly("data", &Repair::data,
                      "The repaired text in Windows-1251; for Unicode input in UTF-8.")
        .def_readonly("verdict", &Repair::verdict,
                      "'repair', 'unchanged', 'none' (no reading is plausible Russian: the text "
                      "is returned as it is) or 'ambiguous' (the best reading was applied, but "
                      "another one is almost as likely).")
        .def_readonly("action", &Repair::action,
                      "The action applied: filter codes ('kw ', ...), for Unicode input after "
                      "Unicode steps ('uw 8u ', ...); '' when the text stays. recode() replays "
                      "it.")
        .def_readonly("confidence", &Repair::confidence,
                      "Share of belief in the chosen reading among all readings, 0..1.")
        .def_readonly("plausibility", &Repair::plausibility,
                      "How likely the chosen reading is real Russian text, 0..1.")
        .def("__repr__", [](const Repair& r) {
            return "Repair(verdict='" + r.verdict + "', action='" + r.action +
                   "', confidence=" + std::string(py::str(py::float_(r.confidence))) +
                   ", plausibility=" + std::string(py::str(py::float_(r.plausibility))) + ")";
        });

    py::class_<Candidate>(m, "Candidate", "One reading of a text.")
        .def_readonly("action", &Candidate::action,
                      "The action ('kw ', 'uw 8u ', ...); '' for the text as it is.")
        .def_readonly("label", &Candidate::label, "The start of the text in this reading.")
        .def_readonly("score", &Candidate::score,
                      "Log-likelihood per changeable byte; comparable within one list only.")
        .def_readonly("confidence", &Candidate::confidence,
                      "Share of belief in this reading among all readings, 0..1.")
        .def_readonly("plausibility", &Candidate::plausibility,
                      "How likely this reading is real Russian text, 0..1.")
        .def("__repr__", [](const Candidate& c) {
            return "Candidate(action='" + c.action +
                   "', confidence=" + std::string(py::str(py::float_(c.confidence))) +
                   ", plausibility=" + std::string(py::str(py::float_(c.plausibility))) + ")";
        });

    m.def("repair", &repair, py::arg("data"), py::kw_only(), py::arg("input") = py::none(),
          "repair(data: bytes | str, *, input: str | None = None) -> Repair\n\n"
          "Finds the reading of the text that is most plausibly Russian and repairs the whole "
          "text with it, as `vorlex-cli auto --best` does.\n\n"
          "How the text is read (`input`):\n"
          "- 'bytes' (the default for bytes): the text as stored, 8-bit bytes. A str is "
          "converted to Windows-1251 first (text read as Windows-1251); a character without a "
          "Windows-1251 byte raises ValueError.\n"
          "- 'unicode' (the default for str): Unicode text (bytes: UTF-8), as vorlex-cli reads "
          "the clipboard or a UTF-8 file. Besides the 8-bit damages it repairs those done on "
          "the way through Unicode: UTF-8 read as Windows-1251 ('РџСЂРёРІРµС‚'), KOI8-R or "
          "CP866, Windows-1251 shown as Windows-1252 ('Ïðèâåò'), UTF-8 twice, and the like. "
          "The repaired text is Unicode: `data` holds it in UTF-8. Invalid UTF-8 raises "
          "ValueError, and so does a repair found on the start of the text that does not fit "
          "the rest.\n"
          "- 'detect': as `vorlex-cli auto` reads a file: Unicode when the bytes are valid "
          "UTF-8 holding a character above U+007F, bytes otherwise.");
    m.def("candidates", &candidates, py::arg("data"), py::arg("limit") = 20, py::kw_only(),
          py::arg("input") = py::none(),
          "candidates(data: bytes | str, limit: int = 20, *, input: str | None = None) -> "
          "list[Candidate]\n\n"
          "The readings of the text, best first, at most `limit` (1..99), as `vorlex-cli auto "
          "--refined` lists them. `input` as for repair().");
    m.def("recode", &recode, py::arg("data"), py::arg("action"), py::kw_only(),
          py::arg("w_as_ve") = false, py::arg("no_sj") = false, py::arg("separate_english") = false,
          "recode(data: bytes, action: str, *, w_as_ve=False, no_sj=False, "
          "separate_english=False) -> bytes\n\n"
          "Recodes the bytes through a chain of filters: codes from FILTERS separated by single "
          "spaces ('kw', 'kw wl'), as `vorlex-cli recode --action` does. The options are those "
          "of transliteration: w_as_ve reads w as в, no_sj does not read sj as щ, "
          "separate_english encloses Latin letters in English-word markers.\n\n"
          "An action that starts with Unicode steps (as repair() reports for Unicode input: "
          "'uw 8u ') takes the bytes as UTF-8 text, unless its first step is 8u, and gives "
          "UTF-8 unless it made bytes from bytes.");
}
