// Output formats of the result printers and the free functions.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "trvns_mgmt.h"

namespace {

class Printers : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
        ::testing::internal::CaptureStdout();
    }
    std::string output() {
        fflush(stdout);
        return ::testing::internal::GetCapturedStdout();
    }
    static struct stat statWith(time_t mtime, bool directory) {
        struct stat st;
        memset(&st, 0, sizeof st);
        st.st_mtime = mtime;
        st.st_mode = directory ? (S_IFDIR | 0600) : 0600;
        st.st_blocks = 12;
        st.st_nlink = 1;
        st.st_blksize = 4096;
        st.st_dev = 1000;
        return st;
    }
};

constexpr time_t kMtime = 86400 * 365;  // Fri Jan  1 00:00:00 1971
constexpr char kMtimeText[] = "Fri Jan  1 00:00:00 1971";

TEST_F(Printers, ListingLineOfADirectoryAndOfAJunction) {
    struct stat dir = statWith(kMtime, true);
    struct stat junction = statWith(kMtime, false);
    printStat_1(&dir, "home", 1);
    printStat_1(&junction, "j1", 0);
    printStat_1(nullptr, "ignored", 1);
    EXPECT_EQ(std::string("dr-xr-xr-x ") + kMtimeText + "      12 1 \033[34m home/ \033[0m\n" +
                  "lr--r--r-- " + kMtimeText + "      12 1 \033[32m j1  \033[0m\n",
              output());
}

TEST_F(Printers, DirStatPrintsCountThenOneLinePerEntryByMode) {
    struct stat dir = statWith(kMtime, true);
    struct stat file = statWith(kMtime, false);
    trvns_stat_element elements[] = {{const_cast<char *>("d"), &dir}, {const_cast<char *>("f"), &file}};
    trvns_dirStat_output out{2, 1, elements};
    printDirStatout(&out);
    trvns_dirStat_output empty{0, 0, nullptr};
    printDirStatout(&empty);
    EXPECT_EQ(std::string("Element count: 2\n") + "dr-xr-xr-x " + kMtimeText + "      12 1 \033[34m d/ \033[0m\n" +
                  "lr--r--r-- " + kMtimeText + "      12 1 \033[32m f  \033[0m\n" + "Element count: 0\n",
              output());
}

TEST_F(Printers, ObjStatBlock) {
    trvns_objStat_output out{};
    out.count = 3;
    out.flags = 1;
    out.st = statWith(kMtime, true);
    printObjStatout(&out);
    EXPECT_EQ(std::string("Element count: 3\nflags: 1\n") + "st_mtime: \t" + kMtimeText + "\n " +
                  "st_blksize:\t4096\n st_blocks:\t12\n st_dev:\t\t1000\n st_nlink:\t1\n st_rdev:\t0\n " +
                  "isaDirectory : True \n",
              output());
}

TEST_F(Printers, StatBlockOfAFileHasNoDirectoryLine) {
    struct stat st = statWith(kMtime, false);
    printStat(&st);
    printStat(nullptr);
    EXPECT_EQ(std::string("st_mtime: \t") + kMtimeText +
                  "\n st_blksize:\t4096\n st_blocks:\t12\n st_dev:\t\t1000\n st_nlink:\t1\n st_rdev:\t0\n ",
              output());
}

// Rows "f<i>", "j<i>", "/t<i>" for the list-all printer.
struct ListAllPage {
    std::vector<std::string> texts;
    std::vector<trvns_junction_entry> rows;
    trvns_listAll_output out{};
    ListAllPage(int total, int count) {
        texts.reserve(3 * count);
        for (int i = 0; i < count; ++i) {
            texts.push_back("f" + std::to_string(i));
            texts.push_back("j" + std::to_string(i));
            texts.push_back("/t" + std::to_string(i));
        }
        for (int i = 0; i < count; ++i) {
            rows.push_back({&texts[3 * i][0], &texts[3 * i + 1][0], &texts[3 * i + 2][0]});
        }
        out = {total, count, count ? rows.data() : nullptr};
    }
};

constexpr char kColumns[] =
    "\n | S.No   | Folder Name          | Junction Name       | Target Path                    \n\n";

std::string row(int serial, int i) {
    char line[256];
    snprintf(line, sizeof line, " | %-6d | %-20s | %-20s| %-30s \n", serial, ("f" + std::to_string(i)).c_str(),
             ("j" + std::to_string(i)).c_str(), ("/t" + std::to_string(i)).c_str());
    return line;
}

TEST_F(Printers, ListAllSecondPageNumbersRowsFromEleven) {
    ListAllPage page(25, 10);
    printListAllJunctionsout(&page.out, 2, 10);
    std::string expected = "Showing page 2 of 3 [Page size = 10] with total number of junctions: 25\n";
    expected += kColumns;
    for (int i = 0; i < 10; ++i) expected += row(11 + i, i);
    EXPECT_EQ(expected, output());
}

TEST_F(Printers, ListAllHeaderVariants) {
    ListAllPage page(25, 2);
    printListAllJunctionsout(&page.out, 0, 10);   // no page number: page 1, row count as size
    printListAllJunctionsout(&page.out, 0, 0);    // no page size: page 1 of 1
    ListAllPage ten(10, 0);
    printListAllJunctionsout(&ten.out, 1, 10);
    ListAllPage eleven(11, 0);
    printListAllJunctionsout(&eleven.out, 1, 10);
    std::string text = output();
    EXPECT_NE(std::string::npos,
              text.find("Showing page 1 of 3 [Page size = 2] with total number of junctions: 25\n" +
                        std::string(kColumns) + row(1, 0) + row(2, 1)));
    EXPECT_NE(std::string::npos,
              text.find("Showing page 1 of 1 [Page size = 2] with total number of junctions: 25\n" +
                        std::string(kColumns) + row(1, 0) + row(2, 1)));
    EXPECT_NE(std::string::npos, text.find("Showing page 1 of 1 [Page size = 10] with total number of junctions: 10\n"));
    EXPECT_NE(std::string::npos, text.find("Showing page 1 of 2 [Page size = 10] with total number of junctions: 11\n"));
}

TEST_F(Printers, ListAllThirdPageStartsAtTwentyOne) {
    ListAllPage page(25, 5);
    printListAllJunctionsout(&page.out, 3, 10);
    std::string text = output();
    EXPECT_NE(std::string::npos, text.find(row(21, 0)));
    EXPECT_NE(std::string::npos, text.find(row(25, 4)));
}

TEST_F(Printers, TrusteeTargetAndNamespaceLines) {
    trvns_trustee trustees[] = {{const_cast<char *>(".a.o.T."), const_cast<char *>("g1"), 1, 0xffffffffu},
                                {const_cast<char *>(".b.o.T."), const_cast<char *>("g2"), 0, 7}};
    trvns_trustee_list trusteeList{2, trustees};
    printTrusteeList(&trusteeList);
    trvns_target targets[] = {{const_cast<char *>("srv"), const_cast<char *>("/dir"), const_cast<char *>("VOL"), 1, 1}};
    trvns_target_list targetList{1, targets};
    printTargetList(&targetList);
    trvns_target_list noTargets{0, nullptr};
    printTargetList(&noTargets);
    trvns_namespace namespaces[] = {{const_cast<char *>("NS1"), 0, 0, 0, 0, nullptr, nullptr},
                                    {const_cast<char *>("NS2"), 0, 0, 0, 0, nullptr, nullptr}};
    trvns_namespace_list nsList{2, namespaces};
    printNamespaceList(&nsList);
    EXPECT_EQ("  name:.a.o.T.\n  guid:g1\n  type:1\n  rights:-1\n"
              "  name:.b.o.T.\n  guid:g2\n  type:0\n  rights:7\n"
              " Number of targets\t: 1 \n Target Info\t\t: srv/VOL//dir\n"
              " Number of targets\t: 0 \n"
              " Number of namespaces :2 \n NS1\n NS2\n",
              output());
}

// The free functions release every block a plug-in allocated; the leak
// checker of the sanitizer build fails the run if one is missed.
TEST_F(Printers, FreeFunctionsReleaseEveryBlock) {
    output();
    trvns_namespace_list namespaces{2, static_cast<trvns_namespace *>(calloc(2, sizeof(trvns_namespace)))};
    for (int i = 0; i < 2; ++i) {
        namespaces.namespaces[i].name = strdup("ns");
        namespaces.namespaces[i].cifsAttr = strdup("c");
        namespaces.namespaces[i].trvnsAttr = strdup("t");
    }
    TRVNS_MGMT_freeNamespaceList(&namespaces);

    trvns_target_list targets{1, static_cast<trvns_target *>(calloc(1, sizeof(trvns_target)))};
    targets.targets[0] = {strdup("s"), strdup("/p"), strdup("v"), 0, 0};
    TRVNS_MGMT_freeTargetList(&targets);

    trvns_trustee_list trustees{1, static_cast<trvns_trustee *>(calloc(1, sizeof(trvns_trustee)))};
    trustees.trustees[0] = {strdup("n"), strdup("g"), 0, 0};
    TRVNS_MGMT_freeTrusteeList(&trustees);

    trvns_dirStat_output dir{1, 0, static_cast<trvns_stat_element *>(calloc(1, sizeof(trvns_stat_element)))};
    dir.elements[0] = {strdup("e"), static_cast<struct stat *>(calloc(1, sizeof(struct stat)))};
    TRVNS_MGMT_freeDirStatout(&dir);

    trvns_cifs_attr attr{strdup("attr")};
    TRVNS_MGMT_freeCifsAttr(&attr);

    trvns_objStat_output obj{};
    TRVNS_MGMT_freeObjStatout(&obj);

    // Empty lists: only the (null or zero-length) array.
    trvns_namespace_list noNamespaces{0, nullptr};
    TRVNS_MGMT_freeNamespaceList(&noNamespaces);
    trvns_trustee_list zeroLength{0, static_cast<trvns_trustee *>(malloc(0))};
    TRVNS_MGMT_freeTrusteeList(&zeroLength);
    // The free functions leave the record as it was.
    EXPECT_EQ(1u, dir.count);
    EXPECT_EQ(2, namespaces.count);
}

}  // namespace
