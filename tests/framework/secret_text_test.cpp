// Passwords in memory: every length round-trips through the protection, moves
// hand the secret over, and clearing forgets it.
#include "framework/SecretText.h"
#include "framework/text/Base64.h"

#include <gtest/gtest.h>

namespace vantrel::test {
namespace {

TEST(SecretText, KeepsTextsAroundTheBlockSizeAndForgetsThemWhenClearedOrMoved) {
    // 7 and 8 characters lie either side of a 16-byte block with its zero.
    for (const std::wstring text :
         {L"", L"a", L"1234567", L"12345678", L"K\u00f6nig-2 und ein l\u00e4ngeres Kennwort"}) {
        CSecretText secret;
        secret.Set(text);
        EXPECT_EQ(secret.Empty(), text.empty());
        EXPECT_EQ(secret.Reveal().View(), text);
        EXPECT_EQ(std::wstring(secret.Reveal().c_str()), text) << "zero-terminated";

        CSecretText moved(std::move(secret));
        EXPECT_TRUE(secret.Empty());
        EXPECT_EQ(secret.Reveal().View(), L"");
        EXPECT_EQ(moved.Reveal().View(), text);
        CSecretText assigned;
        assigned.Set(L"old");
        assigned = std::move(moved);
        EXPECT_EQ(assigned.Reveal().View(), text);
        assigned.Clear();
        EXPECT_TRUE(assigned.Empty());
        EXPECT_EQ(assigned.Reveal().View(), L"");
    }
    CSecretText password;
    password.Set(L"K\u00f6nig-2");
    EXPECT_EQ(password.Reveal().ToBase64(), EncodeUtf16Base64(u"K\u00f6nig-2")) << "as texts travel";

    std::wstring typed = L"typed";
    WipeText(typed);
    EXPECT_TRUE(typed.empty());
}

}  // namespace
}  // namespace vantrel::test
