// The sample book of made-up people (data/sample-book.json), for tests that need a real book.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "formats/BookJson.h"

namespace numora::test {

inline PhoneBook SampleBook() {
    std::ifstream in(NUMORA_SAMPLE_BOOK);
    const std::string json{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    PhoneBook book;
    EXPECT_TRUE(BookFromJson(json, book).ok);
    return book;
}

}  // namespace numora::test
