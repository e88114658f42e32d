// Telling the files no text repair applies to.
#pragma once

#include <cstdint>
#include <span>

namespace vorlex::detect {

/// Whether @p head (the first bytes of a file) belongs to a file no text repair applies to: a
/// NUL byte, or the signature of an executable, image or archive.
[[nodiscard]] bool looksBinary(std::span<const std::uint8_t> head) noexcept;

} // namespace vorlex::detect
