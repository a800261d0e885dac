# The network clients against scripted servers on 127.0.0.1 (free ports, each server on a thread
# of its own). The time and date formats of the C locale keep the expected texts fixed.
set(net_env "LC_ALL=C.UTF-8;TZ=Europe/Moscow")
zarvo_add_test(tst_powersock SOURCES net/tst_powersock.cpp net/ScriptedServer.h net/NetTestUtil.h
    LIBS zarvo_net ENV "${net_env}")
zarvo_add_test(tst_pop3 SOURCES net/tst_pop3.cpp net/Pop3Script.h LIBS zarvo_net ENV "${net_env}")
zarvo_add_test(tst_smtp SOURCES net/tst_smtp.cpp net/SmtpScript.h LIBS zarvo_net ENV "${net_env}")
# TLS against scripted servers, with certificates made by the rig script.
zarvo_add_test(tst_tls SOURCES net/tst_tls.cpp net/Pop3Script.h LIBS zarvo_net ENV "${net_env}")
target_compile_definitions(tst_tls PRIVATE ZARVO_RIGS_DIR="${PROJECT_SOURCE_DIR}/tools/rigs")
zarvo_add_test(tst_nmtime SOURCES net/tst_nmtime.cpp LIBS zarvo_net ENV "${net_env}")
# The three network actions on their workers and inside the scheduler's firing, in a zone three
# hours east of UTC.
zarvo_add_test(tst_networkactions SOURCES net/tst_networkactions.cpp net/NetRig.h LIBS zarvo_net
    ENV "${net_env}")
# Against real servers; run by tests/integration/net_servers.sh (registered when the program
# is built), which starts and stops them.
add_executable(tst_netservers net/tst_netservers.cpp net/NetRig.h)
target_link_libraries(tst_netservers PRIVATE Qt6::Test Qt6::DBus zarvo_testcommon zarvo_net zarvo_platform)
zarvo_target_defaults(tst_netservers)
# Mail over TLS against real servers; run by tests/integration/net_tls.sh.
add_executable(tst_nettls net/tst_nettls.cpp net/NetRig.h)
target_link_libraries(tst_nettls PRIVATE Qt6::Test zarvo_testcommon zarvo_net)
zarvo_target_defaults(tst_nettls)
# The timing driver of tools/bench_net.sh.
add_executable(netbench net/netbench_main.cpp)
target_link_libraries(netbench PRIVATE zarvo_net)
zarvo_target_defaults(netbench)

