#include "platform/escritorio.h"

#include <gtest/gtest.h>

using namespace bindelora;

TEST(Escritorio, MailAddressesBecomeMailtoUrlsWithoutAShell)
{
    // Whatever the user typed stays inside the one URL: blanks, accents,
    // quotes and shell characters are encoded, never interpreted.
    const QUrl u = UrlCorreo(QStringLiteral("jos\u00E9 \"x\"; rm -rf ~ @correo.es"));
    EXPECT_TRUE(u.isValid());
    EXPECT_EQ(u.scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(u.path(), QStringLiteral("jos\u00E9 \"x\"; rm -rf ~ @correo.es"));
    EXPECT_EQ(UrlCorreo(QStringLiteral("ana@x.es")).toString(), QStringLiteral("mailto:ana@x.es"));

    EscritorioFalso falso;
    Escritorio::setInstancia(&falso);
    Escritorio::instancia().AbrirUrl(UrlCorreo(QStringLiteral("a@b")));
    Escritorio::setInstancia(nullptr);
    ASSERT_EQ(falso.urls.size(), 1u);
    EXPECT_EQ(falso.urls[0].toString(), QStringLiteral("mailto:a@b"));
    EXPECT_NE(dynamic_cast<EscritorioQt*>(&Escritorio::instancia()), nullptr);
}
