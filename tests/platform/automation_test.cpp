#include "automation.h"

#include <gtest/gtest.h>

TEST(HResult, CodesHaveTheirPlatformValues)
{
    EXPECT_EQ(static_cast<uint32_t>(E_FAIL), 0x80004005u);
    EXPECT_EQ(static_cast<uint32_t>(E_POINTER), 0x80004003u);
    EXPECT_EQ(static_cast<uint32_t>(E_OUTOFMEMORY), 0x8007000Eu);
    EXPECT_EQ(static_cast<uint32_t>(E_INVALIDARG), 0x80070057u);
    EXPECT_EQ(static_cast<uint32_t>(CLASS_E_CLASSNOTAVAILABLE), 0x80040111u);
    EXPECT_EQ(static_cast<uint32_t>(DISP_E_ARRAYISLOCKED), 0x8002000Du);
    EXPECT_TRUE(SUCCEEDED(S_FALSE));
    EXPECT_TRUE(FAILED(E_FAIL));
    EXPECT_EQ(HResultText(E_FAIL), "Unspecified error");
    EXPECT_EQ(HResultText(static_cast<HRESULT>(0x80001234)), "Error 0x80001234");
}

TEST(Guid, RoundTripsThroughText)
{
    const GUID g{0x6D8A125C, 0x35B3, 0x4521, {0xA0, 0x99, 0xD8, 0xAD, 0x6C, 0xAF, 0x15, 0xD8}};
    EXPECT_EQ(GuidToString(g), "{6D8A125C-35B3-4521-A099-D8AD6CAF15D8}");
    GUID back{};
    ASSERT_TRUE(GuidFromString("{6d8a125c-35b3-4521-a099-d8ad6caf15d8}", &back));
    EXPECT_EQ(back, g);
    EXPECT_FALSE(GuidFromString("{6D8A125C-35B3-4521-A099-D8AD6CAF15}", &back));
    EXPECT_FALSE(GuidFromString("{6D8A125C-35B3-4521-A099-D8AD6CAF15DZ}", &back));
}

TEST(SafeArray, VectorOfBytesHasBoundsAndZeroedData)
{
    SAFEARRAY* psa = SafeArrayCreateVector(VT_I1, 0, 16384);
    ASSERT_NE(psa, nullptr);
    LONG lower = -1, upper = -1;
    EXPECT_EQ(SafeArrayGetLBound(psa, 1, &lower), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(psa, 1, &upper), S_OK);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, 16383);
    EXPECT_EQ(SafeArrayGetElemsize(psa), 1u);
    EXPECT_EQ(SafeArrayGetDim(psa), 1u);
    EXPECT_EQ(SafeArrayDataBytes(psa), 16384u);
    EXPECT_EQ(SafeArrayGetLBound(psa, 2, &lower), DISP_E_BADINDEX);
    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(psa, &data), S_OK);
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (int i = 0; i < 16384; ++i) ASSERT_EQ(bytes[i], 0);
    EXPECT_EQ(SafeArrayUnaccessData(psa), S_OK);
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
}

TEST(SafeArray, LockedArrayIsNotDestroyedAndLocksNest)
{
    SAFEARRAY* psa = SafeArrayCreateVector(VT_I1, 0, 4);
    void* a = nullptr;
    void* b = nullptr;
    ASSERT_EQ(SafeArrayAccessData(psa, &a), S_OK);
    ASSERT_EQ(SafeArrayAccessData(psa, &b), S_OK);
    EXPECT_EQ(a, b);
    EXPECT_EQ(psa->cLocks, 2u);
    EXPECT_EQ(SafeArrayDestroy(psa), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayUnaccessData(psa), S_OK);
    EXPECT_EQ(SafeArrayDestroy(psa), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayUnaccessData(psa), S_OK);
    EXPECT_EQ(SafeArrayUnaccessData(psa), E_UNEXPECTED);  // not locked any more
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
}

TEST(SafeArray, NullAndUnknownTypesAreRefused)
{
    void* data = nullptr;
    EXPECT_EQ(SafeArrayAccessData(nullptr, &data), E_INVALIDARG);
    EXPECT_EQ(SafeArrayUnaccessData(nullptr), E_INVALIDARG);
    EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
    EXPECT_EQ(SafeArrayCreateVector(VT_BSTR, 0, 4), nullptr);
    SAFEARRAY* empty = SafeArrayCreateVector(VT_I1, 0, 0);
    ASSERT_NE(empty, nullptr);
    LONG upper = 0;
    EXPECT_EQ(SafeArrayGetUBound(empty, 1, &upper), S_OK);
    EXPECT_EQ(upper, -1);
    EXPECT_EQ(SafeArrayDestroy(empty), S_OK);
}

TEST(SafeArray, DataLockGuardUnlocksAndReportsFailure)
{
    SAFEARRAY* psa = SafeArrayCreateVector(VT_I4, 0, 3);
    {
        SafeArrayDataLock lock(psa);
        ASSERT_EQ(lock.result(), S_OK);
        EXPECT_EQ(lock.size(), 12u);
        EXPECT_EQ(psa->cLocks, 1u);
    }
    EXPECT_EQ(psa->cLocks, 0u);
    SafeArrayDataLock none(nullptr);
    EXPECT_EQ(none.result(), E_INVALIDARG);
    EXPECT_EQ(none.bytes(), nullptr);
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
}

TEST(Variant, ConvertsIntegersAndByReferenceValues)
{
    int32_t out = 0;
    EXPECT_EQ(VariantToI4(VARIANT::I4(-7), &out), S_OK);
    EXPECT_EQ(out, -7);
    EXPECT_EQ(VariantToI4(VARIANT::UI4(0xFFFFFFFFu), &out), S_OK);
    EXPECT_EQ(out, -1);
    EXPECT_EQ(VariantToI4(VARIANT::Bool(true), &out), S_OK);
    EXPECT_EQ(out, -1);
    int32_t slot = 42;
    EXPECT_EQ(VariantToI4(VARIANT::RefI4(&slot), &out), S_OK);
    EXPECT_EQ(out, 42);
    EXPECT_EQ(VariantToI4(VARIANT::Str("12"), &out), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(VariantToI4(VARIANT(), &out), DISP_E_TYPEMISMATCH);
    SAFEARRAY* psa = SafeArrayCreateVector(VT_I1, 0, 1);
    EXPECT_EQ(VARIANT::Array(psa).vt, VT_ARRAY | VT_I1);
    SafeArrayDestroy(psa);
}
