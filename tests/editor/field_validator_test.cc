#include "editor/core/field_validator.h"

#include <gtest/gtest.h>

#include "editor_test_support.h"

namespace korav {
namespace {

// A parameter file with the fixed file numbers the rules name: 26 cost
// pools, 33 named measures, 35 input measures, 56 allocation requests.
constexpr const char* kParms =
    "10,Tests,Tests,ACDMQ,,0,,K/1/0,f/Code/CM,f/Count/SO9,f/Amount/SON,f/Rate/SOF,f/Upper/SOU,"
    "f/Pool/CO >/31,f/Dim/CO %/12,f/Type/SO w,f/Measure/SO W,f/Budget/SO s,f/Variance/SO V/26,"
    "f/Input/SO i/35,f/Second/SO I/26,f/Option/SO r,f/Value/SO S/56,f/@/CO/12\n"
    "11,,Dimensions,,,0,,K/1/0,f/Nr/SM,f/Name/MO\n"
    "12,Dim1,@,,,0,11/1,K/1/0,f/Code/CM,f/Description/MO\n"
    "26,,Pools,,,0,,K/1/0,f/Code/SM,f/Description/MO\n"
    "31,,Bases,,,0,,K/1/0,f/Code/SM,f/Description/MO\n"
    "33,,Named,,,0,,K/1/0,f/Code/SM,f/Description/MO\n"
    "35,,Input,,,0,,K/1/0,f/Code/SM,f/Description/MO,f/Type/SO\n"
    "56,,Requests,,,0,,K/1/0,f/Code/SM,f/Description/MO\n"
    "1011,1,Account\n1012,ACC,Accounts\n1012,%7,Seven\n"
    "1026,ABC,Pool abc\n1031,ABC,Base abc\n1033,M1,Named one\n"
    "1035,IT,From transactions,T\n1035,IC,From pools,C\n1056,2,No run\n";

class FieldValidatorTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_.Open(model_, kParms); }

  // Validates `value` for field `field` of file 10; returns the message.
  std::string Validate(int32_t field, std::string value) {
    message_.clear();
    validator_.ValidateField(10, field, value, message_, description_);
    value_ = value;
    return message_;
  }

  EditorFolder folder_;
  EditorModel model_;
  FieldValidator validator_{model_};
  std::string value_, message_, description_;
};

TEST_F(FieldValidatorTest, MandatoryAndTransformations) {
  EXPECT_EQ(Validate(1, " \t "), "Error, Code is mandatory");
  EXPECT_EQ(Validate(2, "12a"), "Error, Count must be integer number");
  EXPECT_EQ(Validate(2, " 42 "), "");
  EXPECT_EQ(value_, "42");
  EXPECT_EQ(Validate(3, "1234567.5"), "");
  EXPECT_EQ(description_, "1,234,567.50");
  EXPECT_EQ(Validate(3, "x"), "Error, Amount must be number");
  EXPECT_EQ(Validate(4, "1e3"), "");
  EXPECT_EQ(Validate(4, "1,5"), "Error, Rate must be number");
  EXPECT_EQ(Validate(5, "abc"), "");
  EXPECT_EQ(value_, "ABC");
}

TEST_F(FieldValidatorTest, ValuesSavingCannotWriteBackAreRefusedNamingTheField) {
  EXPECT_EQ(Validate(5, "a\"b,c"), "Error, Upper must not hold both a double quote and a comma");
  EXPECT_EQ(Validate(5, " \"x "), "Error, Upper must not begin with a double quote");
  EXPECT_EQ(value_, "\"X");
  EXPECT_EQ(Validate(5, "a\"b"), "");
  EXPECT_EQ(Validate(5, "a,b"), "");
}

TEST_F(FieldValidatorTest, LookupsWithDirectPoolsStarsAndPlaceholders) {
  EXPECT_EQ(Validate(6, "ABC"), "");
  EXPECT_EQ(description_, "Base abc");
  EXPECT_EQ(Validate(6, ">ABC"), "");
  EXPECT_EQ(description_, "Pool abc");
  EXPECT_EQ(validator_.LookupFileNr(), 26);
  EXPECT_EQ(Validate(6, "abc"), "Error, Pool not found for value of abc");
  EXPECT_EQ(description_, "Pool");
  EXPECT_EQ(Validate(6, "*"), "");
  EXPECT_EQ(Validate(7, "%Y"), "Error, Dim not found for value of %Y");
  EXPECT_EQ(Validate(7, "%7"), "");
  EXPECT_EQ(description_, "Seven");
  EXPECT_EQ(Validate(7, "%X"), "Error, Field must contain DIM Code or %Y or %0 to %9");
  EXPECT_EQ(Validate(7, "%"), "Error, Field must contain DIM Code or %Y or %0 to %9");
  EXPECT_EQ(Validate(16, "NOPE"), "Error, Account not found for value of NOPE");
}

TEST_F(FieldValidatorTest, MeasureTypeChoosesTheLookupOfTheNextField) {
  Validate(8, "n");
  EXPECT_EQ(Validate(9, "M1"), "");
  EXPECT_EQ(description_, "Named one");
  Validate(8, "I");
  EXPECT_EQ(Validate(9, "M1"), "Error, Measure not found for value of M1");
  EXPECT_EQ(Validate(9, "IT"), "");
  Validate(8, "X");
  EXPECT_EQ(Validate(9, "anything"), "");
  Validate(8, "C");
  EXPECT_EQ(Validate(9, "3x"), "Error, Measure must be number");
  EXPECT_EQ(Validate(9, "3.5"), "");
}

TEST_F(FieldValidatorTest, ContextRulesMakeLaterFieldsMandatoryOrLookedUp) {
  Validate(10, "0");
  EXPECT_EQ(Validate(11, ""), "");
  Validate(10, "2");
  EXPECT_EQ(Validate(11, ""), "Error, Variance is mandatory");

  Validate(12, "ic");  // looked up in upper case: a measure from cost pools
  EXPECT_EQ(Validate(13, ""), "Error, Second is mandatory");
  Validate(12, "IT");
  EXPECT_EQ(Validate(13, ""), "");

  Validate(14, "4");
  EXPECT_EQ(Validate(15, "7"), "Error, Value not found for value of 7");
  EXPECT_EQ(Validate(15, "2"), "");
  Validate(14, "5");
  EXPECT_EQ(Validate(15, "7"), "");

  validator_.ResetContext();
  Validate(10, "2");
  validator_.ResetContext();
  EXPECT_EQ(Validate(11, ""), "");
}

TEST(FieldValidatorMissingFilesTest, RulesNamingUndefinedFilesFindNothing) {
  EditorFolder folder;
  EditorModel model;
  folder.Open(model,
              "10,Tests,Tests,ACDMQ,,0,,K/1/0,f/Base/CO >/31,f/Type/SO w,f/Measure/SO W,"
              "f/Input/SO i/35,f/Second/SO I/26,f/Far/CO/4000,f/Neg/CO/-3\n");
  FieldValidator validator(model);
  std::string message, description;
  auto validate = [&](int32_t field, std::string value) {
    validator.ValidateField(10, field, value, message, description);
    return message;
  };
  EXPECT_EQ(validate(1, ">ABC"), "Error, Base not found for value of ABC");
  validate(2, "N");
  EXPECT_EQ(validate(3, "M1"), "Error, Measure not found for value of M1");
  validate(4, "IC");
  EXPECT_EQ(validate(5, ""), "");
  EXPECT_EQ(validate(6, "x"), "Error, Far not found for value of x");
  EXPECT_EQ(validate(7, "x"), "Error, Neg not found for value of x");
}

}  // namespace
}  // namespace korav
