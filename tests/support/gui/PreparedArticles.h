// The article pane draws what the reading controller prepared; a pane under
// test gets its text prepared here, on the test's thread, as the controller's
// worker would with the same client.
#pragma once

#include "core/reading/PreparedArticle.h"
#include "core/session/Client.h"
#include "core/session/TextSource.h"
#include "gui/reading/ArticleViewForm.h"
#include "gui/reading/ReadArticleForm.h"

#include <QTest>

namespace pellar::test {

inline ArticleResult ShowPrepared(TArticleViewForm& view, Client& client, int32_t text)
{
    CacheTextSource source(client.Cache());
    ArticleOptions options;
    options.fonts = ArticleFonts::FromConfig(client.Config());
    options.reformat = view.Reformat();
    const PreparedArticle article = PrepareArticle(source, options, client.Locale(), text);
    view.ShowArticle(article);
    return article.result;
}

// Asks the reading window for the text and waits, the event loop running,
// until it was drawn or refused; false when it never came.
inline bool ShowAndWait(TReadArticleForm& form, int32_t text, bool addToHistory = true)
{
    form.ShowText(text, addToHistory);
    return QTest::qWaitFor([&form] { return form.Reader().AnswersPending() == 0; }, 20000);
}

} // namespace pellar::test
